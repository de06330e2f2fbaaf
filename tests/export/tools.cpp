#include "tests/export/tools.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace quba {

ToolFolder::ToolFolder() {
    path_ = std::filesystem::temp_directory_path() /
            ("quba_export_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(path_);
}

ToolFolder::~ToolFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void ToolFolder::Write(const std::string& name, const std::string& text) const {
    std::ofstream(Path(name), std::ios::binary) << text;
}

namespace {

// A word the shell takes as it is.
std::string Quoted(const std::string& word) {
    std::string quoted = "'";
    for (char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

} // namespace

ToolResult RunTool(const std::string& tool, const std::vector<std::string>& arguments) {
    ToolResult result;
    if (tool.empty() || !std::filesystem::exists(tool)) {
        result.output =
            "tool not found: " + Quoted(tool) + " (scripts/install-deps.sh installs it)";
        return result;
    }
    std::string command = Quoted(tool);
    for (const std::string& argument : arguments)
        command.append(" ").append(Quoted(argument));
    command += " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return result;
    std::array<char, 4096> buffer{};
    size_t read = 0;
    while ((read = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        result.output.append(buffer.data(), read);
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::vector<ExportItem> RandomItems(const ScopedProblem& scope, int count, int32_t maxLength,
                                    unsigned seed) {
    std::mt19937 random(seed);
    std::vector<ExportItem> items;
    for (int k = 0; k < count; ++k) {
        ExportItem item;
        item.name = "F_" + std::to_string(k + 1);
        item.program.population = k % 4;
        item.program.problem = scope.Shared();
        item.program.nodes = RandomProgram(*scope.Shared(), random, maxLength, k % 3 ? 0.5 : 0.6);
        item.program.text = "F=...";
        items.push_back(std::move(item));
    }
    return items;
}

ProblemValues EdgeValues() {
    ProblemValues values = ValuesWith({}, RandomGrid(6, 9), 2, "1e19", "3e19");
    values.functionChecked.fill(true);
    return values;
}

std::vector<ExportItem> EdgeItems(const ScopedProblem& scope) {
    const std::vector<std::vector<std::string>> programs = {
        {"/", "X", "-", "X", "X"},                // zero divisor: 1
        {"/", "sin", "#0", "-", "Y", "Y"},        // not-a-number over zero: 1
        {"/", "X", "sin", "#0"},                  // not-a-number divisor: fails
        {"ln", "-", "X", "X"},                    // magnitude 0: 0
        {"sqrt", "#0"},                           // beyond 2^63: fails
        {"log10", "*", "X", "#0"},                // partly beyond 2^63
        {"+", "X", "sin", "#0"},                  // beyond 2^52: not-a-number
        {"if >", "X", "Y", "*", "#0", "#1", "X"}, // taken beyond the float range fails
        {"if <", "sin", "#0", "X", "Y", "X"},     // not-a-number compared: fails
        {"*", "#0", "*", "#1", "#0"},             // beyond the float range at the end
        {"-", "*", "#0", "#1", "*", "#1", "#0"},  // too big as an operand held as float
        {"cos", "*", "X", "*", "#0", "#0"},       // beyond the double range? not in extended
        {"tan", "/", "#0", "X"},                  // within 2^52 after division
    };
    std::vector<ExportItem> items;
    for (const auto& names : programs) {
        ExportItem item;
        item.name = "E_" + std::to_string(items.size() + 1);
        item.program.problem = scope.Shared();
        for (const std::string& name : names)
            item.program.nodes.push_back(scope.Code(name));
        item.program.text = "E=...";
        items.push_back(std::move(item));
    }
    return items;
}

uint32_t BitsOf(float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float FloatOfBits(uint32_t bits) {
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace quba
