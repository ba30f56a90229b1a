#include "Results.h"

#include "SourceMap.h"

#include <cstdio>

namespace {

std::string Visible(const std::string& text)
{
    std::string out;
    AppendVisible(out, text);
    return out;
}

const char* StatusName(SubmissionStatus status)
{
    switch (status) {
    case SubmissionStatus::Checked: return "checked";
    case SubmissionStatus::NotAssembled: return "not assembled";
    case SubmissionStatus::NotChecked: return "not checked";
    }
    return "";
}

std::string ProblemLine(const SubmissionResult& result)
{
    return (result.Status == SubmissionStatus::NotAssembled ? "does not assemble: " : "not checked: ") +
           Visible(result.Problem);
}

std::string Percent(double similarity)
{
    return std::to_string(static_cast<int>(similarity * 100 + 0.5)) + "%";
}

// "3 submissions: a.asm, b.asm, c.asm" for the same sequence (up to shown
// names; 0: all), "a.asm (and 2 alike)  d.asm" for a pair.
std::string DescribeGroup(const CheckReport& report, const SimilarGroup& group, std::size_t shown)
{
    auto name = [&](std::size_t i) { return Visible(report.Submissions[group.Members[i]].Name); };
    if (group.Alike.empty()) {
        std::string text = std::to_string(group.Members.size()) + " submissions: ";
        for (std::size_t i = 0; i < group.Members.size(); ++i) {
            if (shown != 0 && i == shown) {
                text += ", and " + std::to_string(group.Members.size() - shown) + " more";
                break;
            }
            text += (i ? ", " : "") + name(i);
        }
        return text;
    }
    std::string text;
    for (std::size_t i = 0; i < 2; ++i)
        text += (i ? "  " : "") + name(i) +
                (group.Alike[i] ? " (and " + std::to_string(group.Alike[i]) + " alike)" : std::string());
    return text;
}

std::string CaseTitle(const CheckReport& report, std::size_t test)
{
    const CheckCase& c = report.Check->Cases[test];
    if (c.Hidden && report.StudentView)
        return "case " + std::to_string(test + 1) + " (hidden)";
    return "case " + std::to_string(test + 1) + " (" + c.Name + ")";
}

std::string Pad(const std::string& text, std::size_t width)
{
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

// --- JSON --------------------------------------------------------------------

std::string JsonString(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20 || c == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

// One submission as an autograder's results.json: the score, a line for the
// whole submission, and one test per case.
std::string ResultsObject(const CheckReport& report, const SubmissionResult& result, const std::string& indent)
{
    const CheckFile& check = *report.Check;
    std::string out = "{\n";
    out += indent + "  \"score\": " + std::to_string(result.Score) + ",\n";
    std::string summary = result.Name + ": " + std::to_string(result.Score) + " of " +
                          std::to_string(TotalPoints(check)) + " points";
    if (result.Status != SubmissionStatus::Checked)
        summary += "; " + ProblemLine(result);
    out += indent + "  \"output\": " + JsonString(summary) + ",\n";
    out += indent + "  \"tests\": [";
    for (std::size_t i = 0; i < check.Cases.size(); ++i) {
        const CheckCase& test = check.Cases[i];
        const bool passed = result.Status == SubmissionStatus::Checked && result.Cases[i].Passed;
        std::string output;
        if (result.Status != SubmissionStatus::Checked)
            output = ProblemLine(result);
        else if (!passed)
            output = CaseDifference(report, i, result.Cases[i]);
        out += i ? ",\n" : "\n";
        out += indent + "    {\"name\": " +
               JsonString(test.Hidden && report.StudentView ? "hidden case" : test.Name) +
               ", \"number\": " + JsonString(std::to_string(i + 1)) +
               ", \"score\": " + std::to_string(passed ? test.Points : 0) +
               ", \"max_score\": " + std::to_string(test.Points) +
               ", \"status\": " + JsonString(passed ? "passed" : "failed") +
               ", \"output\": " + JsonString(output) +
               ", \"visibility\": " + JsonString(test.Hidden ? "after_published" : "visible") + "}";
    }
    out += "\n" + indent + "  ]\n" + indent + "}";
    return out;
}

// --- HTML --------------------------------------------------------------------

std::string Html(const std::string& text)
{
    std::string out;
    for (char c : Visible(text)) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

constexpr const char* _Style = R"(body{font-family:system-ui,sans-serif;margin:2em;color:#222}
table{border-collapse:collapse;margin:1em 0}th,td{border:1px solid #bbb;padding:.25em .6em;text-align:left;vertical-align:top}
th{background:#eee}td.pass{background:#dff0d8}td.fail{background:#f8d7da}td.none{background:#eee;color:#666}
td.score{text-align:right;white-space:nowrap}code,.diff{font-family:ui-monospace,monospace;font-size:90%}
.diff{white-space:pre-wrap}h2{margin-top:1.5em}
)";

} // namespace

std::string CaseDifference(const CheckReport& report, std::size_t test, const CaseResult& result)
{
    if (result.Passed)
        return {};
    if (report.Check->Cases[test].Hidden && report.StudentView)
        return CaseTitle(report, test) + ": failed";
    return CaseTitle(report, test) + ": " + Visible(result.Difference);
}

std::string FormatTable(const CheckReport& report)
{
    const CheckFile& check = *report.Check;
    std::string out = report.CheckName + ": " + (check.Title.empty() ? "" : check.Title + "; ") +
                      std::to_string(check.Cases.size()) + (check.Cases.size() == 1 ? " case, " : " cases, ") +
                      std::to_string(TotalPoints(check)) + " points; " + std::to_string(report.Submissions.size()) +
                      (report.Submissions.size() == 1 ? " submission\n" : " submissions\n");
    for (std::size_t i = 0; i < check.Cases.size(); ++i) {
        const CheckCase& test = check.Cases[i];
        out += "  case " + std::to_string(i + 1) + ": " + (test.Hidden && report.StudentView ? "(hidden)" : test.Name) +
               ", " + std::to_string(test.Points) + (test.Points == 1 ? " point" : " points") +
               (test.Hidden ? ", hidden" : "") + "\n";
    }
    std::size_t width = 10;
    for (const SubmissionResult& result : report.Submissions)
        width = std::max(width, std::min<std::size_t>(Visible(result.Name).size(), 40));
    const std::string total = std::to_string(TotalPoints(check));
    const std::size_t scoreWidth = 2 * total.size() + 1;
    out += "\n" + Pad("submission", width) + "  " + Pad("score", std::max<std::size_t>(scoreWidth, 5));
    for (std::size_t i = 0; i < check.Cases.size(); ++i)
        out += "  " + Pad(std::to_string(i + 1), i + 1 < check.Cases.size() ? 4 : 0);
    out += "\n";
    for (const SubmissionResult& result : report.Submissions) {
        const std::string score = std::to_string(result.Score) + "/" + total;
        std::string line = Pad(Visible(result.Name), width) + "  " +
                           std::string(std::max<std::size_t>(scoreWidth, 5) - score.size(), ' ') + score;
        if (result.Status == SubmissionStatus::Checked) {
            for (const CaseResult& c : result.Cases)
                line += std::string("  ") + (c.Passed ? "pass" : "FAIL");
        } else {
            line += std::string("  ") + StatusName(result.Status);
        }
        out += line + "\n";
    }
    std::string details;
    for (const SubmissionResult& result : report.Submissions) {
        if (result.Status != SubmissionStatus::Checked) {
            details += Visible(result.Name) + ": " + ProblemLine(result) + "\n";
            continue;
        }
        for (std::size_t i = 0; i < result.Cases.size(); ++i)
            if (!result.Cases[i].Passed)
                details += Visible(result.Name) + ": " + CaseDifference(report, i, result.Cases[i]) + "\n";
    }
    if (!details.empty())
        out += "\n" + details;
    if (!report.Similar.empty()) {
        out += "\nSimilar instruction sequences (labels, register names, comments and layout set aside;\n"
               "a figure to look at, not a verdict):\n";
        for (const SimilarGroup& group : report.Similar)
            out += "  " + Pad(Percent(group.Similarity), 4) + "  " + DescribeGroup(report, group, 8) + "  (" +
                   std::to_string(group.Length) + " instructions)\n";
    }
    return out;
}

std::string FormatCsv(const CheckReport& report)
{
    auto field = [](const std::string& text) {
        if (text.find_first_of(",\"\n\r") == std::string::npos)
            return text;
        std::string out = "\"";
        for (char c : text)
            out += c == '"' ? std::string("\"\"") : std::string(1, c);
        return out + "\"";
    };
    const CheckFile& check = *report.Check;
    std::string out = "submission,score,max_score,status";
    for (std::size_t i = 0; i < check.Cases.size(); ++i)
        out += "," + field("case " + std::to_string(i + 1) + " " +
                           (check.Cases[i].Hidden && report.StudentView ? "(hidden)" : check.Cases[i].Name));
    out += ",first difference\r\n";
    for (const SubmissionResult& result : report.Submissions) {
        out += field(result.Name) + "," + std::to_string(result.Score) + "," + std::to_string(TotalPoints(check)) +
               "," + StatusName(result.Status);
        std::string first;
        for (std::size_t i = 0; i < check.Cases.size(); ++i) {
            if (result.Status != SubmissionStatus::Checked) {
                out += ",";
                continue;
            }
            out += result.Cases[i].Passed ? ",pass" : ",fail";
            if (first.empty() && !result.Cases[i].Passed)
                first = CaseDifference(report, i, result.Cases[i]);
        }
        if (result.Status != SubmissionStatus::Checked)
            first = ProblemLine(result);
        out += "," + field(first) + "\r\n";
    }
    return out;
}

std::string FormatJson(const CheckReport& report)
{
    if (!report.Folder && report.Submissions.size() == 1)
        return ResultsObject(report, report.Submissions[0], "") + "\n";
    std::string out = "{\n  \"check\": " + JsonString(report.CheckName) +
                      ",\n  \"max_score\": " + std::to_string(TotalPoints(*report.Check)) + ",\n  \"submissions\": [";
    for (std::size_t i = 0; i < report.Submissions.size(); ++i) {
        const SubmissionResult& result = report.Submissions[i];
        out += std::string(i ? ",\n" : "\n") + "    {\"submission\": " + JsonString(result.Name) +
               ", \"status\": " + JsonString(StatusName(result.Status)) +
               ", \"results\": " + ResultsObject(report, result, "    ") + "}";
    }
    out += "\n  ],\n  \"similar\": [";
    for (std::size_t i = 0; i < report.Similar.size(); ++i) {
        const SimilarGroup& group = report.Similar[i];
        char figure[16];
        std::snprintf(figure, sizeof figure, "%.2f", group.Similarity);
        std::string members;
        for (std::size_t m = 0; m < group.Members.size(); ++m)
            members += (m ? ", " : "") + JsonString(report.Submissions[group.Members[m]].Name);
        std::string alike;
        for (std::size_t a = 0; a < group.Alike.size(); ++a)
            alike += (a ? ", " : "") + std::to_string(group.Alike[a]);
        out += std::string(i ? ",\n" : "\n") + "    {\"similarity\": " + figure + ", \"instructions\": " +
               std::to_string(group.Length) + ", \"submissions\": [" + members + "]" +
               (group.Alike.empty() ? "" : ", \"alike\": [" + alike + "]") + "}";
    }
    out += report.Similar.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return out;
}

std::string FormatHtml(const CheckReport& report)
{
    const CheckFile& check = *report.Check;
    const std::string title = check.Title.empty() ? report.CheckName : check.Title;
    std::string out = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + Html(title) +
                      "</title>\n<style>\n" + _Style + "</style>\n</head>\n<body>\n<h1>" + Html(title) + "</h1>\n";
    out += "<p>Check file <code>" + Html(report.CheckName) + "</code>: " + std::to_string(check.Cases.size()) +
           " cases, " + std::to_string(TotalPoints(check)) + " points; " +
           std::to_string(report.Submissions.size()) + " submissions.</p>\n";
    out += "<table>\n<tr><th>case</th><th>name</th><th>points</th></tr>\n";
    for (std::size_t i = 0; i < check.Cases.size(); ++i) {
        const CheckCase& test = check.Cases[i];
        out += "<tr><td>" + std::to_string(i + 1) + "</td><td>" +
               Html(test.Hidden && report.StudentView ? "(hidden)" : test.Name + (test.Hidden ? " (hidden)" : "")) +
               "</td><td class=\"score\">" + std::to_string(test.Points) + "</td></tr>\n";
    }
    out += "</table>\n<h2>Results</h2>\n<table>\n<tr><th>submission</th><th>score</th>";
    for (std::size_t i = 0; i < check.Cases.size(); ++i)
        out += "<th>" + std::to_string(i + 1) + "</th>";
    out += "</tr>\n";
    const std::string total = std::to_string(TotalPoints(check));
    for (const SubmissionResult& result : report.Submissions) {
        out += "<tr><td><code>" + Html(result.Name) + "</code></td><td class=\"score\">" +
               std::to_string(result.Score) + "/" + total + "</td>";
        if (result.Status == SubmissionStatus::Checked) {
            for (std::size_t i = 0; i < result.Cases.size(); ++i) {
                const bool passed = result.Cases[i].Passed;
                out += std::string("<td class=\"") + (passed ? "pass\">pass" : "fail\" title=\"" +
                       Html(CaseDifference(report, i, result.Cases[i])) + "\">fail") + "</td>";
            }
        } else {
            out += "<td class=\"none\" colspan=\"" + std::to_string(check.Cases.size()) + "\">" +
                   StatusName(result.Status) + "</td>";
        }
        out += "</tr>\n";
    }
    out += "</table>\n<h2>Differences</h2>\n<ul>\n";
    for (const SubmissionResult& result : report.Submissions) {
        if (result.Status != SubmissionStatus::Checked) {
            out += "<li><code>" + Html(result.Name) + "</code>: <span class=\"diff\">" + Html(ProblemLine(result)) +
                   "</span></li>\n";
            continue;
        }
        for (std::size_t i = 0; i < result.Cases.size(); ++i)
            if (!result.Cases[i].Passed)
                out += "<li><code>" + Html(result.Name) + "</code>: <span class=\"diff\">" +
                       Html(CaseDifference(report, i, result.Cases[i])) + "</span></li>\n";
    }
    out += "</ul>\n";
    if (report.Folder) {
        out += "<h2>Similar instruction sequences</h2>\n<p>Labels, register names, comments and layout set aside; "
               "a figure to look at, not a verdict.</p>\n";
        if (report.Similar.empty()) {
            out += "<p>None.</p>\n";
        } else {
            out += "<table>\n<tr><th>similarity</th><th>submissions</th><th>instructions</th></tr>\n";
            for (const SimilarGroup& group : report.Similar)
                out += "<tr><td class=\"score\">" + Percent(group.Similarity) + "</td><td>" +
                       Html(DescribeGroup(report, group, 0)) + "</td><td class=\"score\">" +
                       std::to_string(group.Length) + "</td></tr>\n";
            out += "</table>\n";
        }
    }
    out += "</body>\n</html>\n";
    return out;
}
