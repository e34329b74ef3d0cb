#include "cli_report.h"

#include "link/numbers.h"
#include "platform/port_names.h"

namespace pv::cli {

Json MessageJson(int number, const QString &text)
{
    return Json::Object()
        .Add("text", Json::Number(IntegerText(number)))
        .Add("message", Json::String(text.toStdString()));
}

Report::Report(std::string command, bool json, std::ostream &out, std::ostream &err)
    : command_(std::move(command)), json_(json), out_(out), err_(err)
{
    document_.Add("command", command_.empty() ? Json() : Json::String(command_));
}

void Report::SetPort(int number)
{
    document_.Add("port", Json::String(PortName(number)));
}

void Report::Show(const std::string &key, Json value)
{
    if (!json_) {
        out_ << Json::Object().Add(key, value).PlainText() << std::flush;
        return;
    }
    document_.Add(key, std::move(value));
}

void Report::Say(int number, const QString &text)
{
    err_ << text.toStdString() << std::endl;
    messages_.Push(MessageJson(number, text));
}

void Report::Ask(const QString &question, const Json &details)
{
    if (json_)
        err_ << details.PlainText();
    err_ << question.toStdString() << std::endl;
}

void Report::Fail(ExitCode code, int number, const QString &text)
{
    if (failure_)
        return;
    failure_ = code;
    err_ << text.toStdString() << std::endl;
    error_ = MessageJson(number, text);
}

void Report::FailUntranslated(ExitCode code, const std::string &reason)
{
    if (failure_)
        return;
    failure_ = code;
    err_ << "pv-service-cli: " << reason << std::endl;
    error_ = Json::Object().Add("message", Json::String(reason));
}

bool Report::Stream(std::string_view text)
{
    out_ << text << std::flush;
    return static_cast<bool>(out_);
}

int Report::Finish()
{
    const int code = static_cast<int>(failure_.value_or(ExitCode::Done));
    if (json_) {
        Json document = document_;
        document.Add("exit", Json::Number(IntegerText(code)));
        document.Add("messages", messages_);
        if (failure_)
            document.Add("error", error_);
        out_ << document.Text() << std::endl;
    }
    return code;
}

} // namespace pv::cli
