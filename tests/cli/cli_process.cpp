#include "cli_process.h"

#include "cli/run_grids.h"
#include "cli/start_checks.h"
#include "data/data_file.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <sstream>
#include <sys/resource.h>
#include <unistd.h>

CliResult RunCli(const QStringList& arguments, const ChildLimits& limits) {
    QProcess process;
    process.setChildProcessModifier([limits] {
        if (limits.dataBytes > 0) {
            const rlimit limit{limits.dataBytes, limits.dataBytes};
            setrlimit(RLIMIT_DATA, &limit);
        }
        constexpr uid_t kNobody = 65534;
        if (limits.unprivileged && geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0))
            _exit(99);
    });
    process.start(QStringLiteral(QUBA_CLI_PATH), arguments);
    process.waitForFinished(60000);
    CliResult result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput().toStdString();
    result.err = process.readAllStandardError().toStdString();
    return result;
}

QStringList SmallRun() {
    return {
        "--population-size", "50", "--generations", "3", "--size", "8", "--seed", "7", "--quiet"};
}

std::vector<float> ReadFloats(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    std::string text = file.readAll().toStdString();
    // The line that marks a grid this program wrote.
    const std::string mark = std::string(quba::kWrittenGridMark) + "\n";
    std::istringstream in(text.substr(text.rfind(mark, 0) == 0 ? mark.size() : 0));
    std::vector<float> values;
    for (std::string token; in >> token;)
        values.push_back(std::strtof(token.c_str(), nullptr));
    return values;
}

std::optional<std::string> FirstRefusal(quba::CliConfig config, uint64_t physicalMemory) {
    const quba::Outcome<quba::GridPair> built = quba::BuildRunGrids(config);
    if (!built.value)
        return built.message;
    quba::AttachGrids(config.settings.problem, *built.value);
    const auto checked = quba::CheckCliStart(config, physicalMemory);
    if (const auto* line = std::get_if<std::string>(&checked))
        return *line;
    return std::nullopt;
}
