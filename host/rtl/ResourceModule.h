// Host run-time, language modules: translated texts for a library's string table and
// for the captions of its dialogs, read from a text file that lies beside the library.
//
// The English texts are the ones compiled in (SysUtils::RegisterStr) and the ones the
// dialog layouts set. A language module replaces those it gives; any text it lacks, or
// gives badly, stays English. Loading never fails and never throws: a damaged module
// leaves English in place and says what it skipped.
//
// The file, UTF-8 text with LF or CR LF line ends:
//
//   KYT language module 1                    <- first line, exactly (a BOM may precede)
//   # a comment; blank lines are ignored
//   60036=E                                  <- a text of the string table by identifier
//   TformFilter.Caption=Filtro               <- a dialog's caption: form class, property
//   TformFilter.TabSheet1.Caption=Filtro     <- a part's: form class, part name, property
//
// The key ends at the first "=" (blanks around it are dropped); the text is everything
// after it, blanks included. In the text "\n" is a line break, "\t" a tab, "\\" a
// backslash. Properties are Caption, Hint, AccessibleName (what a screen reader reads)
// and Filter (a file dialog's type list).
// Every text must be representable in Windows-1252.
//
// A language module is named after the library without "lib", its extension and
// version, followed by the language: beside /usr/lib/libkytFilterBasePkg.so.0 the
// module for Brazilian Portuguese is kytFilterBasePkg.pt_BR, and kytFilterBasePkg.pt
// serves every Portuguese.
//
// The table is process-wide; load and restore at start-up or between dialogs, on the
// user-interface thread, as SysUtils's string table.
#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace ResourceModule {

// The first line of every language module.
inline constexpr const char* Header = "KYT language module 1";
// A larger file is refused whole: the shipped modules are a few kilobytes.
inline constexpr size_t MaxModuleSize = 1024 * 1024;
// A longer text is skipped.
inline constexpr size_t MaxTextLength = 4096;

// ---- The user's language ------------------------------------------------------------

// The language of a locale as POSIX takes it: the first non-empty of LC_ALL,
// LC_MESSAGES and LANG decides ("pt_BR.UTF-8@euro" gives "pt_BR"). Returns "" for the
// "C" and "POSIX" locales, when all three are empty or null, and for a value that is
// not a language name (letters, optionally "_" and a region of letters or digits), so
// the result is always safe inside a file name.
std::string LanguageFromLocale(const char* LcAll, const char* LcMessages, const char* Lang);
// LanguageFromLocale over this process's environment.
std::string UserLanguage();

// The language modules that serve Language for the library ModuleFileName, most
// specific first: for "pt_BR" beside /lib/libX.so.0 {"/lib/X.pt_BR", "/lib/X.pt"}.
// Empty when Language is "" or not a language name (so no path can come through it).
std::vector<std::string> ModuleFileCandidates(const std::string& ModuleFileName, const std::string& Language);

// ---- Loading ---------------------------------------------------------------------------

// What the library asks of every module it loads.
struct TLoadRules {
  // Identifiers whose text is part of a stored format: a module never changes them.
  std::vector<int> Fixed;
  // Groups of identifiers whose texts must stay pairwise different (the program tells
  // choices apart by their text): a translation that equals another text of its group
  // is dropped, and that identifier stays English.
  std::vector<std::vector<int>> Distinct;
};

struct TLoadResult {
  std::string FileUsed;  // the module taken; "" when none (then all is English)
  int Taken = 0;         // entries now in force
  int Skipped = 0;       // entries of the module left out
  // Why: "<file>: line 7: ..." for a skipped entry, "<file>: ..." for a refused file.
  std::vector<std::string> Problems;
};

// Goes back to English, then takes the entries of module text Text (the contents of a
// file named Name, for the messages). An entry is skipped when its line has no "=",
// its text is empty, longer than MaxTextLength, not UTF-8, not Windows-1252, holds a
// control character or an unknown escape; when its key is neither a registered
// identifier with a text nor a caption key; when its identifier is Fixed; when it
// repeats a key; when its "%" sequences (the "%d" a line number is put in) differ from
// the English text's; or when it breaks a Distinct group. The whole text is refused
// (FileUsed stays "") when it is larger than MaxModuleSize or its first line is not
// Header. Never throws.
TLoadResult LoadModuleText(const std::string& Text, const std::string& Name, const TLoadRules& Rules = {}) noexcept;

// LoadModuleText over the file at Path; an unreadable file is refused.
TLoadResult LoadModuleFile(const std::string& Path, const TLoadRules& Rules = {}) noexcept;

// Goes back to English, then loads the first of ModuleFileCandidates(ModuleFileName,
// Language) that exists and is not refused whole. Language "" (or no module found)
// leaves English. Never throws.
TLoadResult LoadForModule(const std::string& ModuleFileName, const std::string& Language,
                          const TLoadRules& Rules = {}) noexcept;

// Puts back the English texts of every identifier a module replaced and forgets the
// translated captions.
void RestoreEnglish();

// ---- Captions --------------------------------------------------------------------------

// The text for caption key Key ("TformFilter.TabSheet1.Caption") whose English is
// English: the loaded module's translation when it has one with the same "%"
// sequences, otherwise English. Notes English as the key's default (CaptionDefaults).
std::string Caption(const std::string& Key, const std::string& English);

// Every caption key asked for so far with a non-empty English text, and that text.
std::map<std::string, std::string> CaptionDefaults();

// The keys of the loaded module now in force: identifiers in decimal ("60036") and
// caption keys. Empty when English is in force.
std::set<std::string> LoadedKeys();

// True when A and B hold the same "%" sequences ("%d", "%%" ...) in the same order.
bool SamePlaceholders(const std::string& A, const std::string& B);

}  // namespace ResourceModule
