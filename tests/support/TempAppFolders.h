#pragma once
// A private program folder and settings folder for one test, restored afterwards.

#include "core/util/AppPaths.h"

#include <QTemporaryDir>

namespace tvp::test {

struct TempAppFolders {
    TempAppFolders()
    {
        AppPaths::setProgramDirForTests(programDir.path());
        AppPaths::setCommonAppDataDirForTests(commonDir.path());
    }
    ~TempAppFolders()
    {
        AppPaths::setProgramDirForTests({});
        AppPaths::setCommonAppDataDirForTests({});
    }
    TempAppFolders(const TempAppFolders&) = delete;
    TempAppFolders& operator=(const TempAppFolders&) = delete;

    bool isValid() const { return programDir.isValid() && commonDir.isValid(); }

    QTemporaryDir programDir;
    QTemporaryDir commonDir;
};

} // namespace tvp::test
