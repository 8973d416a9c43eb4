// The data file reader on any bytes: every bad line is a problem naming its line and field
// and reading goes on; the records read are written and read back to the same records.

#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "server/local/format/data_file.h"

using namespace tarsel;

namespace {

struct Row {
    std::array<std::string, kDimensionCount> labels;
    double amount = 0;
    bool operator==(const Row&) const = default;
};

std::vector<Row> ReadRows(const QString& path, bool expectClean) {
    std::vector<Row> rows;
    local::format::DataFileReader reader(path);
    local::format::DataRecord record;
    int lastLine = 0;
    const auto onProblem = [&](const local::format::DataProblem& problem) {
        if (expectClean) {
            fuzz::Finding("the reader refuses a line the writer wrote", problem.reason);
        }
        if (problem.line <= lastLine || problem.field < 0 || problem.field > 13 ||
            problem.reason.isEmpty()) {
            fuzz::Finding("a problem without its line, field or reason", problem.reason);
        }
        lastLine = problem.line;
    };
    while (reader.Next(record, onProblem)) {
        if (record.line <= lastLine) {
            fuzz::Finding("records out of line order");
        }
        lastLine = record.line;
        Row row;
        for (size_t d = 0; d < row.labels.size(); ++d) {
            row.labels[d] = std::string(record.labels[d]);
        }
        row.amount = record.amount;
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const fuzz::ScratchFile input(".dat");
    static const fuzz::ScratchFile output("-out.dat");
    input.Write(data, size);
    const std::vector<Row> rows = ReadRows(input.path(), false);
    if (rows.empty()) {
        return 0;
    }
    try {
        local::format::DataFileWriter writer(output.path());
        for (const Row& row : rows) {
            std::array<const std::string*, kDimensionCount> labels{};
            for (size_t d = 0; d < labels.size(); ++d) {
                labels[d] = &row.labels[d];
            }
            writer.Write(labels, row.amount);
        }
        writer.Commit();
    } catch (const TarselError& error) {
        fuzz::Finding("records read cannot be written", error.description());
    }
    if (ReadRows(output.path(), true) != rows) {
        fuzz::Finding("written and read back gives other records");
    }
    return 0;
}
