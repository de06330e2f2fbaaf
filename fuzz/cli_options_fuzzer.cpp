// quba-cli's option parsing on any command line: the input's bytes split
// at zero bytes into arguments. Parsing never throws and never ends the
// process; a refusal is one line; a command line that parses passes or
// fails the Start checks without an exception.
#include "fuzz/byte_reader.h"

#include "cli/parse_arguments.h"
#include "cli/start_checks.h"

#include <QCoreApplication>
#include <QStringList>

#include <algorithm>
#include <string_view>

using namespace quba;

namespace {

constexpr int kMaxArguments = 64;
constexpr uint64_t kMemory = uint64_t{16} << 30;

QStringList Arguments(std::string_view bytes) {
    QStringList arguments{QStringLiteral("quba-cli")};
    while (arguments.size() <= kMaxArguments) {
        const size_t end = bytes.find('\0');
        const std::string_view argument = bytes.substr(0, end);
        arguments << QString::fromUtf8(argument.data(), static_cast<qsizetype>(argument.size()));
        if (end == std::string_view::npos)
            break;
        bytes.remove_prefix(end + 1);
    }
    return arguments;
}

bool HasLineBreak(const std::string& text) {
    return text.find('\n') != std::string::npos || text.find('\r') != std::string::npos;
}

// Whether the user typed a line break into an argument that a message may echo.
bool AnyArgumentHasLineBreak(const QStringList& arguments) {
    return std::any_of(arguments.begin(), arguments.end(), [](const QString& a) {
        return a.contains(QLatin1Char('\n')) || a.contains(QLatin1Char('\r'));
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The help text reads the application's name.
    static int argc = 1;
    static char name[] = "quba-cli";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);

    ByteReader in(data, size);
    const QStringList arguments = Arguments(in.Rest());
    const ParseOutcome outcome = ParseArguments(arguments);
    switch (outcome.action) {
    case ParseOutcome::Action::Refuse:
        FUZZ_CHECK(!outcome.text.empty());
        FUZZ_CHECK(!HasLineBreak(outcome.text) || AnyArgumentHasLineBreak(arguments));
        break;
    case ParseOutcome::Action::ShowHelp:
    case ParseOutcome::Action::ShowVersion:
        FUZZ_CHECK(!outcome.text.empty());
        break;
    case ParseOutcome::Action::Run: {
        CliConfig config = outcome.config;
        FUZZ_CHECK(config.PopulationCount() >= 1 && config.PopulationCount() <= 4);
        FUZZ_CHECK(config.training.Given());
        FUZZ_CHECK(config.training.size >= DataGrid::kMinSize &&
                   config.training.size <= DataGrid::kLargestSize);
        // Grids of the sizes asked for stand in for the files, which are not read here.
        config.settings.problem.training = DataGrid(config.training.size);
        config.settings.problem.validation = DataGrid(config.validation.size);
        const auto checked = CheckCliStart(config, kMemory);
        if (const auto* refusal = std::get_if<std::string>(&checked))
            FUZZ_CHECK(!refusal->empty() && refusal->rfind("--", 0) == 0);
        break;
    }
    }
    return 0;
}
