#pragma once

#include <string>
#include <vector>

namespace vornel {

// Where this program's help document may be, best first: its own folder,
// then the data folder it was built to be installed with.
std::vector<std::string> InstalledHelpDocumentCandidates();

}  // namespace vornel
