#include "CheckRun.h"

#include "Assemble.h"
#include "Judge.h"
#include "Process.h"

#include <atomic>
#include <thread>

namespace {

SubmissionResult CheckOne(const CheckSetup& setup, const Submission& submission, std::size_t index,
                          CaseMachine& machine)
{
    SubmissionResult result;
    result.Name = submission.Name;
    if (!submission.Problem.empty()) {
        result.Problem = submission.Problem;
        return result;
    }
    const Assembly assembly = AssembleSubmission(setup.Tools, setup.TableText, submission.Name, submission.Text,
                                                 setup.Scratch + "/" + std::to_string(index));
    if (!assembly.Assembled) {
        result.Status = SubmissionStatus::NotAssembled;
        result.Problem = assembly.FirstError;
        return result;
    }
    std::string error;
    if (!LoadProgram(machine, assembly.Program, setup.Check->Is8080, error)) {
        result.Problem = error;
        return result;
    }
    result.Status = SubmissionStatus::Checked;
    for (const CheckCase& test : setup.Check->Cases) {
        const CaseRun run = RunCase(machine, test, NotedSignal);
        const CaseVerdict verdict = JudgeCase(test, run, assembly.Program.Map);
        result.Cases.push_back({verdict.Passed, verdict.Difference});
        if (verdict.Passed)
            result.Score += test.Points;
    }
    return result;
}

} // namespace

std::vector<SubmissionResult> CheckSubmissions(const CheckSetup& setup, const std::vector<Submission>& submissions)
{
    std::vector<SubmissionResult> results(submissions.size());
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        const auto machine = MakeCaseMachine();
        for (;;) {
            const std::size_t i = next++;
            if (i >= submissions.size())
                return;
            if (NotedSignal() != 0) {
                results[i].Name = submissions[i].Name;
                results[i].Problem = "the check was stopped";
                continue;
            }
            results[i] = CheckOne(setup, submissions[i], i, *machine);
        }
    };
    const unsigned jobs = std::max(1u, std::min<unsigned>(setup.Jobs, static_cast<unsigned>(submissions.size())));
    std::vector<std::thread> workers;
    for (unsigned j = 1; j < jobs; ++j)
        workers.emplace_back(work);
    work();
    for (std::thread& worker : workers)
        worker.join();
    return results;
}
