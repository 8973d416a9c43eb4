#pragma once
// The Custom2 rewrite of a semicolon-delimited data file, over bytes and file names. It
// is kept free of Qt: the work is bytes only, and the bench runs it in a process of its
// own, without the framework's start-up.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

namespace tarsel::batch {

struct Custom2Counts {
    int64_t records = 0;  // lines written with the new value
    int64_t dropped = 0;  // lines with fewer than twelve semicolons, not copied
};

// Why a rewrite stopped; error is the errno of the failed call, where there was one.
struct Custom2Failure {
    enum Kind {
        kOpenInput,
        kInputIsFolder,
        kOutputIsInput,
        kOutputIsFolder,
        kCreateOutput,
        kReadInput,
        kWriteOutput,
        kStopped,
    };
    Kind kind;
    int error;
};

// Writes output: the line "!DATA", then every line of input that holds at least twelve
// semicolons with its tenth field (between the ninth and tenth semicolon) replaced by
// value, each ending in CR LF; other lines are dropped. Input lines end at LF, CR LF or
// CR; their bytes are copied as they are (no decoding), so NUL bytes and invalid UTF-8
// pass through. The result is the same as the first match of
// "(.*?;.*?;.*?;.*?;.*?;.*?;.*?;.*?;.*?;).*?(;.*?;.*?;.*)" on each line, written as
// group 1, value, group 2.
//
// The output is written to a temporary file beside it and renamed into place only after
// the whole input was read, so a failure leaves an earlier output file as it was; the
// input is never changed, and an output path naming the input file is refused before
// anything is written. Memory stays the same whatever the size of the file or its lines.
// stop is asked between chunks of chunkBytes read; true abandons the rewrite. Failures
// throw a Custom2Failure.
Custom2Counts RewriteCustom2Bytes(const char* input, const char* output, std::string_view value,
                                  const std::function<bool()>& stop = {},
                                  size_t chunkBytes = size_t{1} << 19);

}  // namespace tarsel::batch
