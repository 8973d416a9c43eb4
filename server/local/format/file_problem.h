#pragma once
// A problem a checker found on one line of a file, for the load log.

#include <QString>

namespace tarsel::local::format {

struct FileProblem {
    int line = 0;       // 0: the file as a whole
    bool error = true;  // false: a warning, the file may still be stored
    QString reason;
};

}  // namespace tarsel::local::format
