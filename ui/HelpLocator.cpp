#include "HelpLocator.h"

#include <QCoreApplication>
#include <QDir>

#include <vornel/model/MainModel.h>

namespace vornel {

std::vector<std::string> InstalledHelpDocumentCandidates() {
    const QString programFolder = QCoreApplication::applicationDirPath();
    std::vector<std::string> candidates =
        HelpDocumentCandidates(programFolder.toStdString(), VORNEL_DATADIR);
    // An installation moved to another prefix keeps the data folder beside the programs'.
    candidates.push_back(QDir(programFolder)
                             .filePath(QStringLiteral(VORNEL_DATADIR_FROM_BINDIR "/") +
                                       QLatin1String(kHelpDocumentName))
                             .toStdString());
    return candidates;
}

}  // namespace vornel
