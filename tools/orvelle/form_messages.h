#pragma once
// The lines `orvelle render` and `orvelle run` write to standard error for a form that loaded
// only in part: "orvelle COMMAND: FORM: PLACE: error N: DESCRIPTION", one per problem.
#include <ostream>
#include <string>
#include <vector>

#include "forms/form_document.h"

namespace ov::cli {

void PrintLoadProblems(std::ostream& err, const std::string& command, const std::string& form_path,
                       const std::vector<forms::LoadProblem>& problems);

}  // namespace ov::cli
