#include "server/local/format/data_file.h"

#include <QFileInfo>
#include <charconv>
#include <cmath>

#include "server/local/format/text_lines.h"
#include "server/tarsel_error.h"

namespace tarsel::local::format {

namespace {

constexpr size_t kReadChunk = 1 << 20;
constexpr int kFields = 13;

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsDataMarker(std::string_view line) {
    line = Trim(line);
    return line.size() == 5 && line[0] == '!' && (line[1] | 0x20) == 'd' &&
           (line[2] | 0x20) == 'a' && (line[3] | 0x20) == 't' && (line[4] | 0x20) == 'a';
}

QString Shown(std::string_view text) {
    constexpr qsizetype kShown = 40;
    QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (shown.size() > kShown) {
        shown = shown.left(kShown) + QStringLiteral("...");
    }
    return shown;
}

}  // namespace

QString ParseAmount(std::string_view text, double& amount) {
    if (text.empty()) {
        return QStringLiteral("the amount is empty");
    }
    size_t i = 0;
    if (text[i] == '+' || text[i] == '-') {
        ++i;
    }
    size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) {
        ++i, ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) {
            ++i, ++digits;
        }
    }
    if (digits > 0 && i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            ++i;
        }
        size_t exponent = 0;
        while (i < text.size() && IsDigit(text[i])) {
            ++i, ++exponent;
        }
        digits = exponent > 0 ? digits : 0;
    }
    if (digits == 0 || i != text.size()) {
        return QStringLiteral("\"%1\" is not a number (digits with '.' as the decimal point)")
            .arg(Shown(text));
    }
    // from_chars takes no leading '+'.
    const std::string_view number = text.front() == '+' ? text.substr(1) : text;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), amount);
    if (result.ec != std::errc() || !std::isfinite(amount)) {
        return QStringLiteral("\"%1\" is too large for an amount").arg(Shown(text));
    }
    return {};
}

std::string AmountText(double amount) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, amount);
    return std::string(text, result.ptr);
}

DataFileReader::DataFileReader(const QString& path) : file_(path) {
    if (QFileInfo(path).isDir()) {
        ThrowClientError(code::kFileUnreadable,
                         QStringLiteral("%1: is a folder, not a file").arg(path));
    }
    if (!file_.exists()) {
        ThrowClientError(code::kFileNotFound, QStringLiteral("%1: no such file").arg(path));
    }
    if (!file_.open(QIODevice::ReadOnly)) {
        ThrowClientError(code::kFileUnreadable,
                         QStringLiteral("%1: cannot be read (%2)").arg(path, file_.errorString()));
    }
}

bool DataFileReader::ReadLine() {
    line_.clear();
    tooLong_ = false;
    while (true) {
        const size_t end = buffer_.find('\n', start_);
        const size_t stop = end == std::string::npos ? buffer_.size() : end;
        const size_t room = kMaxDataLine - std::min(kMaxDataLine, line_.size());
        const size_t take = std::min(stop - start_, room);
        line_.append(buffer_, start_, take);
        tooLong_ = tooLong_ || take < stop - start_;
        if (end != std::string::npos) {
            consumed_ += static_cast<qint64>(end + 1 - start_);
            start_ = end + 1;
            break;
        }
        consumed_ += static_cast<qint64>(buffer_.size() - start_);
        buffer_.clear();
        start_ = 0;
        if (eof_) {
            if (line_.empty() && !tooLong_) {
                return false;
            }
            break;
        }
        buffer_.resize(kReadChunk);
        const qint64 got = file_.read(buffer_.data(), static_cast<qint64>(kReadChunk));
        if (got < 0) {
            ThrowClientError(code::kFileUnreadable,
                             QStringLiteral("%1: cannot be read (%2)")
                                 .arg(file_.fileName(), file_.errorString()));
        }
        buffer_.resize(static_cast<size_t>(got));
        eof_ = got == 0;
    }
    if (!line_.empty() && line_.back() == '\r') {
        line_.pop_back();
    }
    ++lineNumber_;
    if (lineNumber_ == 1 && line_.starts_with("\xEF\xBB\xBF")) {
        line_.erase(0, 3);
    }
    return true;
}

DataFileReader::StepResult DataFileReader::Step(DataRecord& record, DataProblem& problem) {
    if (!ReadLine()) {
        return StepResult::End;
    }
    problem = DataProblem{lineNumber_, 0, {}};
    if (tooLong_) {
        problem.reason = QStringLiteral("the line is longer than %1 bytes")
                             .arg(static_cast<qint64>(kMaxDataLine));
        return StepResult::Problem;
    }
    if (line_.find('\0') != std::string::npos) {
        problem.reason = QStringLiteral("the line holds a NUL byte");
        return StepResult::Problem;
    }
    if (!IsValidUtf8(QByteArrayView(line_.data(), static_cast<qsizetype>(line_.size())))) {
        problem.reason = QStringLiteral("the line is not valid UTF-8");
        return StepResult::Problem;
    }
    const std::string_view line = line_;
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == '\'') {
        return StepResult::Skip;
    }
    if (IsDataMarker(trimmed)) {
        inData_ = true;
        return StepResult::Skip;
    }
    if (trimmed.front() == '!' && trimmed.find(';') == std::string_view::npos) {
        problem.reason = QStringLiteral(
                             "section \"%1\" is not one a data file holds (it holds "
                             "one !DATA section)")
                             .arg(Shown(trimmed));
        return StepResult::Problem;
    }
    if (!inData_) {
        problem.reason = QStringLiteral("a record before the !DATA line");
        return StepResult::Problem;
    }
    std::array<std::string_view, kFields> fields;
    int count = 0;
    size_t from = 0;
    while (true) {
        const size_t separator = line.find(';', from);
        const std::string_view field =
            line.substr(from, separator == std::string_view::npos ? line.npos : separator - from);
        if (count < kFields) {
            fields[static_cast<size_t>(count)] = Trim(field);
        }
        ++count;
        if (separator == std::string_view::npos) {
            break;
        }
        from = separator + 1;
    }
    if (count != kFields) {
        problem.reason =
            QStringLiteral("the record has %1 fields separated by ';', not 13").arg(count);
        return StepResult::Problem;
    }
    for (int d = 0; d < kDimensionCount; ++d) {
        if (fields[static_cast<size_t>(d)].empty()) {
            problem.field = d + 1;
            problem.reason =
                QStringLiteral("field %1 (%2) is empty").arg(d + 1).arg(DimensionDisplayName(d));
            return StepResult::Problem;
        }
        record.labels[static_cast<size_t>(d)] = fields[static_cast<size_t>(d)];
    }
    const QString reason = ParseAmount(fields[kFields - 1], record.amount);
    if (!reason.isEmpty()) {
        problem.field = kFields;
        problem.reason = QStringLiteral("field 13 (Amount): ") + reason;
        return StepResult::Problem;
    }
    record.line = lineNumber_;
    return StepResult::Record;
}

DataFileWriter::DataFileWriter(const QString& path) : file_(path) {
    pending_ = "!DATA\r\n";
}

void DataFileWriter::Write(const std::array<const std::string*, kDimensionCount>& labels,
                           double amount) {
    for (const std::string* label : labels) {
        pending_ += *label;
        pending_ += ';';
    }
    pending_ += AmountText(amount);
    pending_ += "\r\n";
    if (pending_.size() >= kReadChunk) {
        Flush();
    }
}

void DataFileWriter::Flush() {
    file_.Write(QByteArrayView(pending_.data(), static_cast<qsizetype>(pending_.size())));
    pending_.clear();
}

void DataFileWriter::Commit() {
    Flush();
    file_.Commit();
}

}  // namespace tarsel::local::format
