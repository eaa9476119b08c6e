#include "HelpLocator.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace vornel {

QStringList HelpDocumentCandidates(const QString& programFolder, const QString& dataFolder) {
    QStringList candidates;
#ifdef Q_OS_WIN
    candidates << QDir(programFolder).filePath(QStringLiteral("help.chm"));
#endif
    candidates << QDir(programFolder).filePath(QLatin1String(kHelpDocumentName))
               << QDir(dataFolder).filePath(QLatin1String(kHelpDocumentName));
    return candidates;
}

QString FindHelpDocument(const QStringList& candidates) {
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate).isFile()) {
            return QFileInfo(candidate).absoluteFilePath();
        }
    }
    return {};
}

QStringList InstalledHelpDocumentCandidates() {
    const QString programFolder = QCoreApplication::applicationDirPath();
    QStringList candidates = HelpDocumentCandidates(programFolder, QStringLiteral(VORNEL_DATADIR));
    // An installation moved to another prefix keeps the data folder beside the programs'.
    candidates << QDir(programFolder)
                      .filePath(QStringLiteral(VORNEL_DATADIR_FROM_BINDIR "/") +
                                QLatin1String(kHelpDocumentName));
    return candidates;
}

}  // namespace vornel
