#pragma once
// The results of a command as a JSON value that keeps its keys in the order they were added, so
// that a document reads like the window it stands for. Numbers are kept as the text the tool's
// own conversions made ("229.8", never 229.80000305 of a float widened to double).

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pv::cli {

class Json
{
public:
    enum class Kind { Null, Bool, Number, String, Array, Object };

    Json() = default; // null
    static Json Bool(bool value);
    // text must be a JSON number ("12", "-0.5", "1E+07").
    static Json Number(std::string text);
    static Json String(std::string text);
    static Json Array();
    static Json Object();

    // Objects: adds a member (keys are not checked for repeats). Arrays: appends.
    Json &Add(std::string key, Json value);
    Json &Push(Json value);

    Kind Type() const { return kind_; }
    const std::string &Scalar() const { return text_; } // the number, the string, "true"
    const std::vector<Json> &Items() const { return items_; }
    const std::vector<std::pair<std::string, Json>> &Members() const { return members_; }

    // One line of JSON.
    std::string Text() const;
    // For people: "key: value" lines, members of a nested object indented below their key, an
    // array of objects one "- " line per object.
    std::string PlainText(int indent = 0) const;

private:
    Kind kind_ = Kind::Null;
    std::string text_;
    std::vector<Json> items_;
    std::vector<std::pair<std::string, Json>> members_;
};

// A JSON string literal, quotes included.
std::string JsonQuoted(std::string_view text);

} // namespace pv::cli
