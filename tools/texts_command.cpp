// vor-tool texts: builds the language database from its text source and dumps it back.

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "resources/StringResources.h"
#include "texts/LanguageDbWriter.h"
#include "texts/MessageTsv.h"
#include "tools/ToolCommands.h"

namespace vor::tool {

namespace {

constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;

int Usage() {
    std::fprintf(stderr,
                 "usage: vor-tool texts build SOURCE.tsv OUT.lng\n"
                 "       vor-tool texts dump FILE.lng\n");
    return ExitUsage;
}

bool ReadWholeFile(const std::string& path, std::string& content) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    content = buffer.str();
    return !in.bad();
}

int Build(const std::string& sourcePath, const std::string& outPath) {
    std::string source;
    if (!ReadWholeFile(sourcePath, source)) {
        std::fprintf(stderr, "vor-tool texts: cannot read %s\n", sourcePath.c_str());
        return ExitFailure;
    }
    const TsvParseResult parsed = ParseMessageTsv(source);
    if (!parsed.ok) {
        std::fprintf(stderr, "vor-tool texts: %s:%d: %s\n", sourcePath.c_str(), parsed.errorLine,
                     parsed.reason.c_str());
        return ExitFailure;
    }
    std::string error;
    if (!WriteLanguageDb(parsed.table, outPath, LoadResString(ResDatabasePassword), error)) {
        std::fprintf(stderr, "vor-tool texts: cannot write %s: %s\n", outPath.c_str(), error.c_str());
        return ExitFailure;
    }
    return 0;
}

int Dump(const std::string& dbPath) {
    MessageTable table;
    std::string error;
    if (!ReadLanguageDb(dbPath, LoadResString(ResDatabasePassword), table, error)) {
        std::fprintf(stderr, "vor-tool texts: %s\n", error.c_str());
        return ExitFailure;
    }
    std::cout << FormatMessageTsv(table);
    std::cout.flush();
    return std::cout ? 0 : ExitFailure;
}

}  // namespace

int TextsCommand(const Args& args) {
    if (args.size() == 3 && args[0] == "build") return Build(args[1], args[2]);
    if (args.size() == 2 && args[0] == "dump") return Dump(args[1]);
    return Usage();
}

}  // namespace vor::tool
