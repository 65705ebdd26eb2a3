#pragma once
// A synchronisation tool on two real folders in a temporary directory, with
// the user's side recorded: messages, log lines, captions, the answer to the
// confirmation window.
#include "core/Journal.h"
#include "support/ScriptedDialogs.h"
#include "sync/SyncTool.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace filmarch::test {

inline QStringList L(const std::vector<const char*>& texts)
{
    QStringList out;
    for (const char* t : texts)
        out << QString::fromUtf8(t);
    return out;
}

class RecordingView : public SyncView {
public:
    bool confirmDeletion() override
    {
        ++confirmations;
        return confirm;
    }
    void copyCaption(const QString& caption) override { captions << caption; }
    void setPosition(int percent) override
    {
        positions << percent;
        if (onPosition)
            onPosition(percent);
    }
    void taskFinished() override { ++tasksFinished; }

    bool confirm = true;
    int confirmations = 0;
    int tasksFinished = 0;
    QStringList captions;
    QList<int> positions;
    std::function<void(int)> onPosition;
};

class SyncFixture : public ::testing::Test {
protected:
    SyncFixture()
    {
        QDir(app.path()).mkdir(QStringLiteral("Logs_Filmarch"));
        QDir(root.path()).mkdir(QStringLiteral("ref"));
        QDir(root.path()).mkdir(QStringLiteral("save"));
        journal.memo = [this](const QString& line) { log << (line.isEmpty() ? line : line.mid(10)); };
        tool = std::make_unique<SyncTool>(SyncContext {AppPaths::beside(app.path()), &dialogs, &journal, &view});
    }

    QString ref() const { return root.filePath(QStringLiteral("ref")); }
    QString save() const { return root.filePath(QStringLiteral("save")); }
    QString path(const QString& relative) const { return root.filePath(relative); }

    // Writes each file (folders made as needed); the content is the path unless
    // given.
    void makeFiles(const std::vector<const char*>& relatives, const QByteArray& content = {})
    {
        makeFileList(L(relatives), content);
    }
    void makeFileList(const QStringList& relatives, const QByteArray& content = {})
    {
        for (const QString& r : relatives) {
            const QString p = path(r);
            QDir().mkpath(QFileInfo(p).absolutePath());
            QFile f(p);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(content.isEmpty() ? r.toUtf8() : content);
        }
    }

    static QByteArray read(const QString& p)
    {
        QFile f(p);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
    }

    // Paths below the temporary root, sorted.
    QStringList relativePaths(const SyncList& list) const
    {
        QStringList out;
        for (const SyncEntry& e : list)
            out << QDir(root.path()).relativeFilePath(e.fullPath());
        out.sort();
        return out;
    }

    // Every file below `folder`, hidden ones included, relative to it, sorted.
    static QStringList filesBelow(const QString& folder)
    {
        QStringList out;
        QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext())
            out << QDir(folder).relativeFilePath(it.next());
        out.sort();
        return out;
    }

    void analyse(bool sousRep = false)
    {
        ASSERT_EQ(tool->BtLanceAnalyseClick(ref(), save(), sousRep), AnalysisOutcome::Done);
    }

    static void tickAll(SyncList& list)
    {
        for (SyncEntry& e : list)
            e.checked = true;
    }

    bool logged(const QString& message) const { return log.contains(message); }

    QTemporaryDir app;
    QTemporaryDir root;
    ScriptedDialogs dialogs;
    Journal journal;
    RecordingView view;
    QStringList log; // without the time
    std::unique_ptr<SyncTool> tool;
};

} // namespace filmarch::test
