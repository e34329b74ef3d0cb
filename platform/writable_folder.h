#pragma once
// Where the tool writes: LanguageSet.txt (the language the technician picked) and ports/ (the
// COMn links). A program folder the user may write to (the build tree, a portable copy on a
// stick) keeps them itself, as it always did. An installed program folder belongs to the
// administrator (/usr/lib/pv-service, C:\Program Files\...): then they live in a folder of the
// user's own, made on the first start from the program folder's shipped LanguageSet.txt.
// The settings the tool only reads (InitSet.txt, CountryParameter.txt, DataBase/, profiles/)
// stay in the program folder.

#include <filesystem>

namespace pv {

// The stored language choice, one decimal number (the language picker writes it).
inline constexpr const char *LanguageSetFile = "LanguageSet.txt";

// The name of the per-user folder under the user's data folder.
inline constexpr const char *UserFolderName = "pv-service";

// The per-user folder of this user: $XDG_DATA_HOME/pv-service, else
// $HOME/.local/share/pv-service (Linux); %LOCALAPPDATA%\pv-service (Windows). Empty when the
// environment names no such place.
std::filesystem::path UserDataFolder();

// The XDG base directory rule from the values of XDG_DATA_HOME and HOME (nullptr: unset).
// XDG_DATA_HOME counts only when it is an absolute path, as the rule says.
std::filesystem::path UserDataFolderFrom(const char *dataHome, const char *home);

// Whether this user may create and replace files in the folder.
bool FolderIsWritable(const std::filesystem::path &folder);

// The folder the tool writes to: the program folder when it is writable (or no per-user
// folder is known), else the per-user folder.
std::filesystem::path WritableFolderFor(const std::filesystem::path &programFolder,
                                        bool programFolderWritable,
                                        const std::filesystem::path &userFolder);

// WritableFolderFor, and when that is the per-user folder, makes it ready: the folder and its
// ports/, and a copy of the program folder's LanguageSet.txt unless the user folder holds one
// already (the user's earlier choice stays). A program folder without LanguageSet.txt ships no
// place for the choice, and none is made. A folder that cannot be made is returned all the
// same: the choice then is not kept, and the tool starts in its shipped language.
std::filesystem::path PrepareWritableFolder(const std::filesystem::path &programFolder,
                                            bool programFolderWritable,
                                            const std::filesystem::path &userFolder);

} // namespace pv
