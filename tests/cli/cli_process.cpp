#include "cli_process.h"

#include <QProcess>

CliResult RunCli(const QStringList& arguments) {
    QProcess process;
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
