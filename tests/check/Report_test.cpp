// The outputs: fields quoted and escaped so that any submission name reads back.
#include "Results.h"

#include <gtest/gtest.h>

namespace {

struct Fixture {
    CheckFile Check;
    CheckReport Report;
    Fixture()
    {
        CheckCase visible;
        visible.Name = "small";
        visible.Points = 2;
        CheckCase hidden;
        hidden.Name = "secret";
        hidden.Points = 3;
        hidden.Hidden = true;
        Check.Cases = {visible, hidden};
        Report.CheckName = "lab.check";
        Report.Check = &Check;
        Report.Folder = true;
        SubmissionResult odd;
        odd.Name = "a,\"b\"\n<c>&.asm";
        odd.Status = SubmissionStatus::Checked;
        odd.Cases = {{true, ""}, {false, "[2050H] = 01H, expected 02H"}};
        odd.Score = 2;
        SubmissionResult broken;
        broken.Name = "broken.asm";
        broken.Status = SubmissionStatus::NotAssembled;
        broken.Problem = "broken.asm:4: error: unable to parse this line: MOVE A, B";
        Report.Submissions = {odd, broken};
    }
};

TEST(Report, CsvQuotesFieldsThatNeedIt)
{
    Fixture f;
    EXPECT_EQ(FormatCsv(f.Report),
              "submission,score,max_score,status,case 1 small,case 2 secret,first difference\r\n"
              "\"a,\"\"b\"\"\n<c>&.asm\",2,5,checked,pass,fail,"
              "\"case 2 (secret): [2050H] = 01H, expected 02H\"\r\n"
              "broken.asm,0,5,not assembled,,,"
              "\"does not assemble: broken.asm:4: error: unable to parse this line: MOVE A, B\"\r\n");
}

TEST(Report, JsonEscapesAndHidesHiddenCasesFromStudents)
{
    Fixture f;
    f.Report.Folder = false;
    f.Report.StudentView = true;
    f.Report.Submissions.resize(1);
    EXPECT_EQ(FormatJson(f.Report),
              "{\n"
              "  \"score\": 2,\n"
              "  \"output\": \"a,\\\"b\\\"\\n<c>&.asm: 2 of 5 points\",\n"
              "  \"tests\": [\n"
              "    {\"name\": \"small\", \"number\": \"1\", \"score\": 2, \"max_score\": 2, \"status\": \"passed\", "
              "\"output\": \"\", \"visibility\": \"visible\"},\n"
              "    {\"name\": \"hidden case\", \"number\": \"2\", \"score\": 0, \"max_score\": 3, \"status\": "
              "\"failed\", \"output\": \"case 2 (hidden): failed\", \"visibility\": \"after_published\"}\n"
              "  ]\n"
              "}\n");
}

TEST(Report, HtmlEscapesNamesAndShowsControlCharacters)
{
    Fixture f;
    const std::string html = FormatHtml(f.Report);
    EXPECT_NE(html.find("<code>a,&quot;b&quot;\\x0A&lt;c&gt;&amp;.asm</code>"), std::string::npos) << html;
    EXPECT_EQ(html.find("<c>"), std::string::npos);
    EXPECT_EQ(html.find("http"), std::string::npos); // nothing to fetch: it opens offline
}

TEST(Report, TheTableShowsControlCharactersInNames)
{
    Fixture f;
    const std::string table = FormatTable(f.Report);
    EXPECT_NE(table.find("a,\"b\"\\x0A<c>&.asm    2/5  pass  FAIL\n"), std::string::npos) << table;
    EXPECT_NE(table.find("broken.asm: does not assemble: broken.asm:4: error:"), std::string::npos);
}

} // namespace
