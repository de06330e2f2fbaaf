// Hostile inputs and output names, replayed against the built program under
// a memory limit: each is refused with one clear line, or handled, before it
// costs much time or memory, and nothing is lost.
#include "cli_process.h"

#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>

namespace {

constexpr uint64_t kMiB = uint64_t{1} << 20;
// The sanitizers reserve terabytes of shadow memory up front, so a sanitized
// child cannot start under a data limit; there the limit is left off and only
// the cases that need no limit run.
#ifdef QUBA_SANITIZED
constexpr uint64_t kChildDataBytes = 0;
#else
constexpr uint64_t kChildDataBytes = 200 * kMiB;
#endif

class HostileInput : public testing::Test {
protected:
    void SetUp() override {
        // Readable by the unprivileged user some tests run as.
        ASSERT_EQ(chmod(QFile::encodeName(folder_.path()).constData(), 0755), 0);
    }
    QString Path(const QString& name) const { return folder_.filePath(name); }
    QString Folder() const { return folder_.path(); }
    QString Write(const QString& name, const QByteArray& bytes) const {
        QFile file(Path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return Path(name);
    }
    QString SmallPng(const QString& name, const QByteArray& chunk = {}) const {
        QImage image(8, 8, QImage::Format_Grayscale8);
        image.fill(200);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "png");
        return Write(name, png.left(33) + chunk + png.mid(33)); // after IHDR
    }

private:
    QTemporaryDir folder_;
};

TEST_F(HostileInput, EndlessHugeAndHeaderOnlyInputsAreRefusedCheaply) {
    // A 64 MiB text chunk: the PNG's pixels are all that is read.
    const QByteArray text = QByteArray("\x04\x00\x00\x08tEXtComment", 16) +
                            QByteArray(64 * kMiB, 'a') + QByteArray(4, '\0');
    struct Case {
        const char* what;
        QStringList arguments;
        int exitCode;
        std::string errorStart;
        long lines;
    };
    const std::vector<Case> cases = {
        {"endless picture",
         {"--image", "/dev/zero"},
         1,
         "--image: Cannot read the picture /dev/zero: it is not a picture",
         1},
        {"endless data file", {"--data", "/dev/zero"}, 1, "--data: Illegal file format!", 3},
        {"PPM header alone",
         {"--image", Write("h.ppm", "P6\n5792 5792\n255\n")},
         1,
         "--image: Cannot read the picture " + Path("h.ppm").toStdString() +
             ": it is damaged or cut short",
         1},
        {"PNG with a huge text chunk", {"--image", SmallPng("t.png", text)}, 0, "", 0},
        {"populations beyond the memory left",
         {"--pattern", "circle", "--population-size", "400000"},
         1,
         "Memory Allocation Error",
         1},
    };
    for (const Case& c : cases) {
        if (kChildDataBytes == 0 && c.errorStart == "Memory Allocation Error")
            continue;
        const auto started = std::chrono::steady_clock::now();
        const CliResult result = RunCli(c.arguments + QStringList{"--generations", "0", "--quiet"},
                                        {.dataBytes = kChildDataBytes});
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10)) << c.what;
        EXPECT_EQ(result.exitCode, c.exitCode) << c.what << ": " << result.err;
        EXPECT_EQ(result.err.rfind(c.errorStart, 0), 0u) << c.what << ": " << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), c.lines)
            << c.what << ": " << result.err;
    }
}

TEST_F(HostileInput, RunUntilInterruptedReservesNothingAhead) {
    QProcess process;
    process.setChildProcessModifier([] {
        if (kChildDataBytes > 0) {
            const rlimit limit{kChildDataBytes, kChildDataBytes};
            setrlimit(RLIMIT_DATA, &limit);
        }
    });
    process.start(QStringLiteral(QUBA_CLI_PATH),
                  {"--pattern", "circle", "--size", "8", "--population-size", "20", "--generations",
                   "2147483647", "--seed", "1", "--quiet", "--json", "-"});
    ASSERT_TRUE(process.waitForStarted());
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 130) << process.readAllStandardError().toStdString();
    EXPECT_TRUE(process.readAllStandardOutput().contains("\"history\""));
}

TEST_F(HostileInput, OutputsReachTheirTargetsWhateverTheirNames) {
    // A writable file in a folder that refuses new files is written in place.
    QDir(Folder()).mkdir("locked");
    const QString kept = Write("locked/kept.txt", "old");
    ASSERT_EQ(chmod(QFile::encodeName(kept).constData(), 0666), 0);
    ASSERT_EQ(chmod(QFile::encodeName(Path("locked")).constData(), 0555), 0);
    const QStringList run = {"--pattern", "cup", "--size", "4", "--generations", "0", "--quiet"};
    const CliResult locked =
        RunCli(run + QStringList{"--save-training", kept}, {.unprivileged = true});
    EXPECT_EQ(locked.exitCode, 0) << locked.err;
    EXPECT_NE(QFile(kept).size(), 3);
    chmod(QFile::encodeName(Path("locked")).constData(), 0755);

    // A name of 250 bytes, written twice over.
    const QString longName = Path(QString(250, 'x'));
    for (int time = 0; time < 2; ++time) {
        const CliResult result = RunCli(run + QStringList{"--save-training", longName});
        EXPECT_EQ(result.exitCode, 0) << result.err;
    }
    EXPECT_TRUE(QFile::exists(longName));

    // Names that are no UTF-8 are the files they name.
    QProcess shell;
    const QString script =
        "cd \"$1\" && \"$0\" --pattern cup --size 4 --generations 0 --quiet "
        "--save-training $'in\\xff.txt' && \"$0\" --data $'in\\xff.txt' --size 4 "
        "--generations 0 --quiet --save-training $'out\\xfe.txt'";
    shell.start("/bin/bash", {"-c", script, QStringLiteral(QUBA_CLI_PATH), Folder()});
    ASSERT_TRUE(shell.waitForFinished(30000));
    EXPECT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().toStdString();
    struct stat written {};
    EXPECT_EQ(stat((QFile::encodeName(Folder()) + "/out\xfe.txt").constData(), &written), 0);
    EXPECT_GT(written.st_size, 0);

    // A picture to standard output is all that goes there.
    const CliResult picture = RunCli(run + QStringList{"--generations", "1", "--best-image", "-"});
    EXPECT_EQ(picture.exitCode, 0) << picture.err;
    EXPECT_FALSE(QImage::fromData(QByteArray::fromStdString(picture.out), "png").isNull());
}

} // namespace
