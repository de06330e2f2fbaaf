// Runs the built quba-cli and collects what it printed.
#pragma once

#include <QStringList>

#include <string>

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

CliResult RunCli(const QStringList& arguments);
// Arguments of a small, seeded, quiet run.
QStringList SmallRun();
