#pragma once

#include <QString>

namespace ui {

// Writes text and one CR LF to path (UTF-8) through a temporary file that replaces the
// target only when everything was written, so a failure leaves an existing file as it
// was. Empty on success, else the reason.
QString SaveTextWithLineEnd(const QString& path, const QString& text);

// True when the save-file window warns about the extension of name in mode: member-list
// mode ("MEMBERLIST", blanks and case aside) and a name not ending in ".lst" in any case.
bool NeedsMemberListExtensionWarning(const QString& mode, const QString& name);

}  // namespace ui
