// karst-stub: a stand-in for the Karst master data export utility (see --help).

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>

namespace {

const char kHelp[] =
    "Usage: karst-stub /cfgfile=CONFIGURATION_FILE\n"
    "\n"
    "A stand-in for the Karst master data export utility, for the tests and the demo of\n"
    "Tarsel_Batch's KARST_EXPORT. It is a test peer, not part of the product, and talks to\n"
    "no server. It reads the configuration file that KARST_EXPORT writes, writes the log\n"
    "named by LogFileName and, as the export, a small data file named by OutFile.\n"
    "\n"
    "Environment:\n"
    "  KARST_STUB_FAIL=no-log     write neither the log nor the export\n"
    "  KARST_STUB_FAIL=no-output  write the log only\n"
    "  KARST_STUB_FAIL=hang       write nothing and wait until stopped\n"
    "  KARST_STUB_RECORD=FILE     copy the configuration file to FILE, followed by a line\n"
    "                             \"mode NNN\" with its permission bits in octal\n"
    "\n"
    "Exit status: 0 done, 2 unusable arguments or configuration, 3 a file cannot be written.\n";

std::string ReadAll(const std::string& path, bool& ok) {
    std::ifstream in(path, std::ios::binary);
    ok = static_cast<bool>(in);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// "Section.Key" -> value; lines end in CR LF or LF.
std::map<std::string, std::string> ParseConfiguration(const std::string& text) {
    std::map<std::string, std::string> values;
    std::string section;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            section = line.substr(1, line.size() - 2);
            continue;
        }
        const auto equals = line.find('=');
        if (equals != std::string::npos) {
            values[section + "." + line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
    return values;
}

bool WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    return static_cast<bool>(out.flush());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::cout << kHelp;
        return 0;
    }
    const std::string prefix = "/cfgfile=";
    if (argc != 2 || std::strncmp(argv[1], prefix.c_str(), prefix.size()) != 0) {
        std::cerr << "karst-stub: expected one argument /cfgfile=FILE (see --help)\n";
        return 2;
    }
    const std::string configPath = argv[1] + prefix.size();
    bool ok = false;
    const std::string text = ReadAll(configPath, ok);
    if (!ok) {
        std::cerr << "karst-stub: cannot read " << configPath << "\n";
        return 2;
    }
    if (const char* record = std::getenv("KARST_STUB_RECORD")) {
        struct stat info {};
        ::stat(configPath.c_str(), &info);
        char mode[32];
        std::snprintf(mode, sizeof mode, "mode %03o\n", static_cast<unsigned>(info.st_mode & 0777));
        WriteFile(record, text + mode);
    }
    const auto values = ParseConfiguration(text);
    const auto value = [&](const std::string& key) {
        const auto it = values.find(key);
        return it == values.end() ? std::string() : it->second;
    };
    const std::string logPath = value("General.LogFileName");
    const std::string outPath = value("Export.OutFile");
    const std::string type = value("Export.ExportType");
    const std::string name = type == "Book" ? value("Export.BookName") : value("Export.ExportName");
    if (logPath.empty() || outPath.empty() || (type != "Book" && type != "Export")) {
        std::cerr << "karst-stub: the configuration lacks LogFileName, OutFile or ExportType\n";
        return 2;
    }

    const char* fail = std::getenv("KARST_STUB_FAIL");
    const std::string failure = fail ? fail : "";
    if (failure == "hang") {
        for (;;) {
            ::pause();
        }
    }
    if (failure == "no-log") {
        return 0;
    }
    std::string log = "Karst stand-in: " + type + " " + name + " for version " +
                      value("Export.CurrentVersionAbbrev") + " against " +
                      value("Export.PrevVersionAbbrev") + "\r\n";
    if (failure == "no-output") {
        log += "No export written (KARST_STUB_FAIL=no-output)\r\n";
        return WriteFile(logPath, log) ? 0 : 3;
    }
    // A small data file, so that a nightly job can go on with it (DEFAULT_CUSTOM2, loads).
    std::string data = "!DATA\r\n";
    const char* const entities[] = {"France", "Germany", "Spain"};
    for (int i = 0; i < 3; ++i) {
        data += std::string("Actual;2026;0") + std::to_string(i + 1) + ";YTD;" + entities[i] +
                ";[None];Sales;[ICP None];[None];Karst;[None];[None];" +
                std::to_string((i + 1) * 1000) + "\r\n";
    }
    if (!WriteFile(outPath, data)) {
        log += "Cannot write " + outPath + "\r\n";
        WriteFile(logPath, log);
        return 3;
    }
    log += "Wrote " + outPath + "\r\n";
    return WriteFile(logPath, log) ? 0 : 3;
}
