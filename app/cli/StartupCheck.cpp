#include "StartupCheck.h"

std::optional<std::string> BindingStartupProblem(const av::TBinding& binding) {
    const std::vector<std::string> problems = binding.Problems();
    if (problems.empty()) return std::nullopt;
    return av::ProblemsMessage(problems);
}
