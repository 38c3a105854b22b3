// Asked for help or the version, the program answers and ends without a
// display, a session bus or a running copy to hand anything to.
#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Answer {
    int exitCode = -1;
    QString out;
    QString err;
};

Answer runProgram(const QStringList& arguments)
{
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS"})
        env.remove(QString::fromLatin1(name));
    // A home and runtime folder of its own: nothing the program might write lands in the user's.
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(KALEIDOR_PROGRAM), arguments);
    Answer answer;
    if (!program.waitForFinished(30000)) {
        program.kill();
        program.waitForFinished();
        return answer;
    }
    if (program.exitStatus() == QProcess::NormalExit)
        answer.exitCode = program.exitCode();
    answer.out = QString::fromUtf8(program.readAllStandardOutput());
    answer.err = QString::fromUtf8(program.readAllStandardError());
    // Nothing was created for a start that only answered.
    EXPECT_TRUE(QDir(home.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
        << arguments.join(' ').toStdString();
    return answer;
}

}  // namespace

TEST(CommandLine, HelpAndVersionAnswerWithoutADisplay)
{
    const struct {
        QStringList arguments;
        QString expected;
    } cases[] = {
        {{"--help"}, "Использование: kaleidor [ФАЙЛ]…\n"},
        {{"-h"}, "Использование: kaleidor [ФАЙЛ]…\n"},
        {{"--version"}, QStringLiteral("Калейдор " KALEIDOR_VERSION "\n")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const Answer answer = runProgram(c.arguments);
        EXPECT_EQ(answer.exitCode, 0) << answer.err.toStdString();
        EXPECT_TRUE(answer.out.startsWith(c.expected)) << answer.out.toStdString();
        EXPECT_EQ(answer.err, QString());
    }
    EXPECT_TRUE(runProgram({"--help"}).out.contains("--version"));
}
