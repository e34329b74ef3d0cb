#pragma once
// What a command tells: its results on standard output, its messages (texts of the language
// table, with their numbers) on standard error; or, under --json, one document on standard
// output that holds both and the exit code.

#include "cli_options.h"
#include "json_value.h"

#include <QString>

#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace pv::cli {

class Report
{
public:
    // command: the command's name ("" for a command line that names none).
    Report(std::string command, bool json, std::ostream &out, std::ostream &err);

    bool JsonMode() const { return json_; }
    void SetPort(int number);

    // A result: printed at once as "key: value" lines, or kept for the document.
    void Show(const std::string &key, Json value);
    // A message: said at once on standard error, and kept in the document's "messages".
    void Say(int number, const QString &text);
    // A question on standard error; under --json the details it asks about go there first (they
    // are printed on standard output only with the document).
    void Ask(const QString &question, const Json &details);
    // The failure that ends the command: its message, said at once and kept as the document's
    // "error". Only the first failure counts.
    void Fail(ExitCode code, int number, const QString &text);
    // A failure that no text of the language table names (a usage error, a signal), in English
    // like the usage text; its document entry has no text number.
    void FailUntranslated(ExitCode code, const std::string &reason);
    // A line written as it stands to standard output (the monitor's rows); false when standard
    // output no longer takes it.
    bool Stream(std::string_view text);

    // The exit code: the failure's, or done. Under --json the document is printed now.
    int Finish();
    std::optional<ExitCode> Failure() const { return failure_; }

private:
    std::string command_;
    bool json_;
    std::ostream &out_;
    std::ostream &err_;
    Json document_ = Json::Object();
    Json messages_ = Json::Array();
    std::optional<ExitCode> failure_;
    Json error_;
};

// A message entry of the document: {"text": number, "message": text}.
Json MessageJson(int number, const QString &text);

} // namespace pv::cli
