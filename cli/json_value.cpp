#include "json_value.h"

#include <cstdio>

namespace pv::cli {

Json Json::Bool(bool value)
{
    Json json;
    json.kind_ = Kind::Bool;
    json.text_ = value ? "true" : "false";
    return json;
}

Json Json::Number(std::string text)
{
    Json json;
    json.kind_ = Kind::Number;
    json.text_ = std::move(text);
    return json;
}

Json Json::String(std::string text)
{
    Json json;
    json.kind_ = Kind::String;
    json.text_ = std::move(text);
    return json;
}

Json Json::Array()
{
    Json json;
    json.kind_ = Kind::Array;
    return json;
}

Json Json::Object()
{
    Json json;
    json.kind_ = Kind::Object;
    return json;
}

Json &Json::Add(std::string key, Json value)
{
    members_.emplace_back(std::move(key), std::move(value));
    return *this;
}

Json &Json::Push(Json value)
{
    items_.push_back(std::move(value));
    return *this;
}

std::string JsonQuoted(std::string_view text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (c == '\n') {
            quoted += "\\n";
        } else if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            quoted += escaped;
        } else {
            quoted += c; // UTF-8 passes as it is
        }
    }
    return quoted + '"';
}

std::string Json::Text() const
{
    switch (kind_) {
    case Kind::Null:
        return "null";
    case Kind::Bool:
    case Kind::Number:
        return text_;
    case Kind::String:
        return JsonQuoted(text_);
    case Kind::Array: {
        std::string text = "[";
        for (const Json &item : items_)
            text += (text.size() > 1 ? "," : "") + item.Text();
        return text + "]";
    }
    case Kind::Object:
        break;
    }
    std::string text = "{";
    for (const auto &[key, value] : members_)
        text += (text.size() > 1 ? "," : "") + JsonQuoted(key) + ":" + value.Text();
    return text + "}";
}

std::string Json::PlainText(int indent) const
{
    const std::string margin(static_cast<std::size_t>(indent), ' ');
    const auto scalar = [](const Json &value) {
        if (value.kind_ == Kind::Null)
            return std::string("-");
        if (value.kind_ == Kind::Object) {
            std::string line;
            for (const auto &[key, member] : value.members_)
                line += (line.empty() ? "" : ", ") + key + ": " + member.PlainText();
            return line;
        }
        if (value.kind_ == Kind::Array) {
            std::string line;
            for (const Json &item : value.items_)
                line += (line.empty() ? "" : ", ") + item.PlainText();
            return line;
        }
        return value.text_;
    };
    if (kind_ != Kind::Object)
        return scalar(*this);
    std::string text;
    for (const auto &[key, value] : members_) {
        if (value.kind_ == Kind::Object) {
            text += margin + key + ":\n" + value.PlainText(indent + 2);
        } else if (value.kind_ == Kind::Array && !value.items_.empty()
                   && value.items_.front().kind_ == Kind::Object) {
            text += margin + key + ":\n";
            for (const Json &item : value.items_)
                text += margin + "  - " + scalar(item) + "\n";
        } else {
            text += margin + key + ": " + scalar(value) + "\n";
        }
    }
    return text;
}

} // namespace pv::cli
