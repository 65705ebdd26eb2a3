#include "platform/ToolLocator.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using filmarch::ToolLocator;

namespace {
QString makeFolder(const QTemporaryDir& root, const QString& name, bool withTool, bool executable = true)
{
    const QString folder = QDir(root.path()).filePath(name);
    QDir().mkpath(folder);
    if (withTool) {
        QFile tool(folder + QStringLiteral("/mkvmerge"));
        EXPECT_TRUE(tool.open(QIODevice::WriteOnly));
        tool.write("#!/bin/sh\n");
        tool.close();
        if (executable)
            tool.setPermissions(tool.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    }
    return folder;
}
} // namespace

TEST(ToolLocator, PathComesFirstThenTheFixedFolders)
{
    QTemporaryDir root;
    const QString empty = makeFolder(root, QStringLiteral("vide"), false);
    const QString notExecutable = makeFolder(root, QStringLiteral("texte"), true, false);
    const QString onPath = makeFolder(root, QStringLiteral("chemin"), true);
    const QString fixed = makeFolder(root, QStringLiteral("fixe"), true);
    const QString fixedWithSlash = fixed + QLatin1Char('/');

    struct Case {
        const char* name;
        QString path;
        QStringList fixedFolders;
        QString expected;
    };
    const Case cases[] = {
        {"found on PATH, one separator added", empty + QStringLiteral("::") + onPath, {fixed},
            onPath + QLatin1Char('/')},
        {"PATH wins over the fixed folders", onPath, {fixedWithSlash}, onPath + QLatin1Char('/')},
        {"a file that cannot run is no tool", notExecutable, {fixedWithSlash}, fixedWithSlash},
        {"fixed folder kept as written", QString(), {empty, fixedWithSlash}, fixedWithSlash},
        {"nothing anywhere", empty, {empty}, QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ToolLocator(c.path, c.fixedFolders).findMkvToolNix(), c.expected);
    }
}
