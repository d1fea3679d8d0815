#pragma once

#include <QString>

namespace veyra::test {

// The checkout and build folders of the tests.
inline QString sourceDir()
{
    return QStringLiteral(VEYRA_SOURCE_DIR);
}

inline QString binaryDir()
{
    return QStringLiteral(VEYRA_BINARY_DIR);
}

// A helper program built from tests/support/programs.
inline QString testProgramPath(const QString &name)
{
    return binaryDir() + QStringLiteral("/tests/") + name;
}

// The veyra executable of this build.
inline QString veyraExecutablePath()
{
    return binaryDir() + QStringLiteral("/src/veyra");
}

} // namespace veyra::test
