#include "form_messages.h"

#include "platform/codepage/windows1252.h"

namespace ov::cli {

void PrintLoadProblems(std::ostream& err, const std::string& command, const std::string& form_path,
                       const std::vector<forms::LoadProblem>& problems) {
    // Places and descriptions are library text (Windows-1252); the terminal takes UTF-8.
    for (const forms::LoadProblem& problem : problems)
        err << "orvelle " << command << ": " << form_path << ": " << codepage::Windows1252ToUtf8(problem.place)
            << ": error " << problem.error.number() << ": " << codepage::Windows1252ToUtf8(problem.error.description())
            << "\n";
}

}  // namespace ov::cli
