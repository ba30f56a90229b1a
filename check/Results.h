// What a check found: per submission its score and per case pass or the
// first difference; the similar pairs. Plain records that every output reads.
#pragma once

#include "CheckFile.h"
#include "Similarity.h"

#include <string>
#include <vector>

struct CaseResult {
    bool Passed = false;
    std::string Difference; // the first difference; empty when passed
};

enum class SubmissionStatus : std::uint8_t {
    Checked,      // assembled and run on every case
    NotAssembled, // the chain stopped: Problem is its first error
    NotChecked,   // not read or not run: Problem says why
};

struct SubmissionResult {
    std::string Name;
    SubmissionStatus Status = SubmissionStatus::NotChecked;
    std::string Problem;
    std::vector<CaseResult> Cases; // one per case when Checked
    int Score = 0;
};

struct CheckReport {
    std::string CheckName; // the check file as named on the command line
    const CheckFile* Check = nullptr;
    std::vector<SubmissionResult> Submissions;
    std::vector<SimilarGroup> Similar; // indexes into Submissions
    bool StudentView = false;         // hidden cases: pass or fail only
    bool Folder = false;              // a folder was checked (else one file)
};

// The lines of the report, in the formats below, each whole text.
std::string FormatTable(const CheckReport& report);
std::string FormatCsv(const CheckReport& report);
// One submission: the autograder results.json object; a folder: an object
// holding one such object per submission, and the similar pairs.
std::string FormatJson(const CheckReport& report);
std::string FormatHtml(const CheckReport& report);

// How a case's outcome is told in this report's view: "" when it passed.
std::string CaseDifference(const CheckReport& report, std::size_t test, const CaseResult& result);
