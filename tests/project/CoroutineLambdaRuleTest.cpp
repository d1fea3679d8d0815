// Test label: unit
// g++ 12 destroys a capturing lambda that is created inside a co_await expression twice
// (the captures are released twice: double frees, broken reference counts). The rule that
// keeps the code clear of it: a capturing lambda handed to something that is awaited is
// named first,
//     auto work = [image] { ... };
//     co_await runOnWorker(pool, std::move(work));
// This test finds capturing lambdas written inside a co_await expression in the sources.
#include "support/TestPaths.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

// The text with comments and string literals blanked out (line breaks kept).
QString codeOnly(const QString &text)
{
    QString result = text;
    enum class State { code, lineComment, blockComment, string, character } state = State::code;
    for (qsizetype i = 0; i < result.size(); ++i) {
        const QChar c = result[i];
        const QChar next = i + 1 < result.size() ? result[i + 1] : QChar();
        switch (state) {
        case State::code:
            if (c == QLatin1Char('/') && next == QLatin1Char('/')) {
                state = State::lineComment;
                result[i] = QLatin1Char(' ');
            } else if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
                state = State::blockComment;
                result[i] = QLatin1Char(' ');
            } else if (c == QLatin1Char('"')) {
                state = State::string;
            } else if (c == QLatin1Char('\'')) {
                state = State::character;
            }
            break;
        case State::lineComment:
            if (c == QLatin1Char('\n')) {
                state = State::code;
            } else {
                result[i] = QLatin1Char(' ');
            }
            break;
        case State::blockComment:
            if (c == QLatin1Char('*') && next == QLatin1Char('/')) {
                result[i] = QLatin1Char(' ');
                result[i + 1] = QLatin1Char(' ');
                ++i;
                state = State::code;
            } else if (c != QLatin1Char('\n')) {
                result[i] = QLatin1Char(' ');
            }
            break;
        case State::string:
        case State::character:
            if (c == QLatin1Char('\\')) {
                result[i] = QLatin1Char(' ');
                if (i + 1 < result.size()) {
                    result[++i] = QLatin1Char(' ');
                }
            } else if (c == (state == State::string ? QLatin1Char('"') : QLatin1Char('\''))) {
                state = State::code;
            } else if (c != QLatin1Char('\n')) {
                result[i] = QLatin1Char(' ');
            }
            break;
        }
    }
    return result;
}

// co_await, then anything up to the end of the statement that contains a lambda introducer
// with a non-empty capture list followed by its parameters or body.
const QRegularExpression &violationPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(\bco_await\b[^;]*?\[[^\[\]]+\]\s*(\([^()]*\)\s*)?(mutable\s*)?(->\s*[\w:<>, ]+\s*)?\{)"));
    return pattern;
}

} // namespace

TEST(CoroutineLambdaRule, NoCapturingLambdaIsWrittenInsideACoAwaitExpression)
{
    const QRegularExpression &violation = violationPattern();
    int checked = 0;
    for (const QString &folder : {QStringLiteral("/src"), QStringLiteral("/tests"), QStringLiteral("/bench")}) {
        QDirIterator it(veyra::test::sourceDir() + folder, {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
            QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
            const QString code = codeOnly(QString::fromUtf8(file.readAll()));
            ++checked;
            for (auto match = violation.globalMatch(code); match.hasNext();) {
                const auto found = match.next();
                const qsizetype line = code.left(found.capturedStart()).count(QLatin1Char('\n')) + 1;
                ADD_FAILURE() << path.toStdString() << ":" << line
                              << ": name the capturing lambda before the co_await expression";
            }
        }
    }
    EXPECT_GT(checked, 10);
}

TEST(CoroutineLambdaRule, TheCheckRecognisesTheForbiddenShape)
{
    const QString bad = QStringLiteral("auto r = co_await runOnWorker(pool, [image] { return f(image); });");
    const QString badMultiLine = QStringLiteral("co_await run(\n  pool, [a = b, &c](int x) mutable -> int {\n});");
    const QString good = QStringLiteral("auto work = [image] { return f(image); };\nco_await runOnWorker(pool, "
                                        "std::move(work));\nco_await run([] { return 1; });\nco_await f(a[i]);");
    const QString commented = QStringLiteral("// co_await run([x] { });\nint y = 0;");
    const QRegularExpression &violation = violationPattern();
    EXPECT_TRUE(violation.match(codeOnly(bad)).hasMatch());
    EXPECT_TRUE(violation.match(codeOnly(badMultiLine)).hasMatch());
    EXPECT_FALSE(violation.match(codeOnly(good)).hasMatch());
    EXPECT_FALSE(violation.match(codeOnly(commented)).hasMatch());
}
