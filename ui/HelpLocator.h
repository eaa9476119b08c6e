#pragma once

#include <QString>
#include <QStringList>

namespace vornel {

// The help document's file name.
inline constexpr const char* kHelpDocumentName = "vornel-help.html";

// Where the help document may be, best first: beside the program (on Windows
// a compiled "help.chm" there comes first), then the installed data folder.
QStringList HelpDocumentCandidates(const QString& programFolder, const QString& dataFolder);

// The first candidate that is an existing file, or an empty text.
QString FindHelpDocument(const QStringList& candidates);

// The candidates for this program: its own folder and the data folder it was
// built to be installed with.
QStringList InstalledHelpDocumentCandidates();

}  // namespace vornel
