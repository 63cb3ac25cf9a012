#include "host/rtl/ResourceModule.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

#include "host/rtl/SysUtils.h"

namespace ResourceModule {

namespace {

// What the loaded module changed, so that English can be put back.
struct TState {
  std::map<int, std::string> English;                 // identifier -> text before the module
  std::map<std::string, std::string> Captions;        // caption key -> translation
  std::map<std::string, std::string> CaptionEnglish;  // caption key -> English default
  std::set<std::string> Loaded;                       // the keys the module gave, in force
};

TState& State() {
  static TState state;
  return state;
}

bool IsAsciiLetter(char C) { return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z'); }
bool IsAsciiDigit(char C) { return C >= '0' && C <= '9'; }
bool IsIdentChar(char C) { return IsAsciiLetter(C) || IsAsciiDigit(C) || C == '_'; }

bool IsLanguageName(const std::string& S) {
  const size_t sep = S.find('_');
  const std::string lang = S.substr(0, sep);
  if (lang.size() < 2 || lang.size() > 8 || !std::all_of(lang.begin(), lang.end(), IsAsciiLetter)) return false;
  if (sep == std::string::npos) return true;
  const std::string region = S.substr(sep + 1);
  return region.size() >= 2 && region.size() <= 8 &&
         std::all_of(region.begin(), region.end(), [](char C) { return IsAsciiLetter(C) || IsAsciiDigit(C); });
}

// "TformFilter.Caption" or "TformFilter.btSee.Hint": identifiers joined by dots, the
// last one a translatable property.
bool IsCaptionKey(const std::string& Key) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t dot = Key.find('.', start);
    parts.push_back(Key.substr(start, dot - start));
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  if (parts.size() < 2 || parts.size() > 3) return false;
  for (const std::string& p : parts)
    if (p.empty() || IsAsciiDigit(p[0]) || !std::all_of(p.begin(), p.end(), IsIdentChar)) return false;
  const std::string& prop = parts.back();
  return prop == "Caption" || prop == "Hint" || prop == "Filter" || prop == "AccessibleName";
}

// The identifier of a key of digits only, or -1.
int IdentOf(const std::string& Key) {
  if (Key.empty() || Key.size() > 9 || !std::all_of(Key.begin(), Key.end(), IsAsciiDigit)) return -1;
  return std::stoi(Key);
}

std::vector<std::string> PercentSequences(const std::string& S) {
  std::vector<std::string> result;
  for (size_t i = 0; i < S.size(); ++i)
    if (S[i] == '%') {
      result.push_back(S.substr(i, 2));
      ++i;
    }
  return result;
}

// Resolves the escapes of a module text; false on an unknown or cut escape.
bool Unescape(const std::string& S, std::string& Out) {
  Out.clear();
  for (size_t i = 0; i < S.size(); ++i) {
    if (S[i] != '\\') {
      Out += S[i];
      continue;
    }
    if (++i == S.size()) return false;
    switch (S[i]) {
      case 'n': Out += '\n'; break;
      case 't': Out += '\t'; break;
      case '\\': Out += '\\'; break;
      default: return false;
    }
  }
  return true;
}

bool HasControlChar(const std::string& S) {
  return std::any_of(S.begin(), S.end(), [](char C) {
    const auto u = static_cast<unsigned char>(C);
    return (u < 32 && C != '\n' && C != '\t') || u == 127;
  });
}

// The English text of Ident: the one before any module, else what is registered.
std::string EnglishOf(int Ident) {
  const auto& english = State().English;
  const auto found = english.find(Ident);
  return found != english.end() ? found->second : SysUtils::LoadStr(Ident);
}

void Replace(int Ident, const std::string& Text) {
  State().English.emplace(Ident, SysUtils::LoadStr(Ident));
  SysUtils::RegisterStr(Ident, Text);
}

void Revert(int Ident) {
  auto& english = State().English;
  const auto found = english.find(Ident);
  if (found == english.end()) return;
  SysUtils::RegisterStr(Ident, found->second);
  english.erase(found);
}

// Reads one module file into Out; false (and a problem) when it cannot or is too big.
bool ReadModule(const std::string& Path, std::string& Out, TLoadResult& Result) {
  std::ifstream in(Path, std::ios::binary);
  if (!in) {
    Result.Problems.push_back(Path + ": cannot be read");
    return false;
  }
  Out.assign(MaxModuleSize + 1, '\0');
  in.read(Out.data(), static_cast<std::streamsize>(Out.size()));
  if (in.bad()) {
    Result.Problems.push_back(Path + ": cannot be read");
    return false;
  }
  Out.resize(static_cast<size_t>(in.gcount()));
  return true;
}

// Loads the module text; "" as the file name of the result when refused whole.
class TModuleReader {
 public:
  TModuleReader(const std::string& Name, const TLoadRules& Rules, TLoadResult& Result)
      : FName(Name), FRules(Rules), FResult(Result) {}

  void Read(const std::string& Module) {
    if (Module.size() > MaxModuleSize) return Refuse("larger than " + std::to_string(MaxModuleSize) + " bytes");
    size_t pos = Module.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    std::string line;
    if (!NextLine(Module, pos, line) || line != Header) return Refuse("not a language module (first line)");
    FResult.FileUsed = FName;
    for (int number = 2; NextLine(Module, pos, line); ++number) Entry(line, number);
    KeepDistinct();
  }

 private:
  static bool NextLine(const std::string& Module, size_t& Pos, std::string& Line) {
    if (Pos >= Module.size()) return false;
    size_t end = Module.find('\n', Pos);
    if (end == std::string::npos) end = Module.size();
    Line = Module.substr(Pos, end - Pos);
    if (!Line.empty() && Line.back() == '\r') Line.pop_back();
    Pos = end + 1;
    return true;
  }

  void Refuse(const std::string& Why) { FResult.Problems.push_back(FName + ": " + Why); }

  void Skip(int Number, const std::string& Why) {
    ++FResult.Skipped;
    FResult.Problems.push_back(FName + ": line " + std::to_string(Number) + ": " + Why);
  }

  void Entry(const std::string& Line, int Number) {
    const std::string trimmed = SysUtils::Trim(Line);
    if (trimmed.empty() || trimmed[0] == '#') return;
    const size_t eq = Line.find('=');
    if (eq == std::string::npos) return Skip(Number, "no '='");
    std::string key = SysUtils::Trim(Line.substr(0, eq));
    const int ident = IdentOf(key);
    if (ident >= 0) key = std::to_string(ident);  // "060036" is 60036
    std::string text;
    if (!EntryText(Line.substr(eq + 1), Number, text)) return;
    if (FKeys.count(key)) return Skip(Number, "'" + key + "' given twice");
    if (ident >= 0) {
      if (!Message(ident, text, Number)) return;
    } else if (IsCaptionKey(key)) {
      State().Captions[key] = text;
    } else {
      return Skip(Number, "unknown key");
    }
    FKeys.insert(key);
    State().Loaded.insert(key);
    ++FResult.Taken;
  }

  // The text of an entry in Windows-1252, escapes resolved; false when skipped.
  bool EntryText(const std::string& Raw, int Number, std::string& Out) {
    SysUtils::TUtf8Fault fault;
    std::string ansi;
    std::string why;
    if (!SysUtils::TryUtf8ToAnsi(Raw, ansi, &fault))
      why = fault.Describe();
    else if (!Unescape(ansi, Out))
      why = "unknown escape";
    else if (Out.empty())
      why = "empty text";
    else if (Out.size() > MaxTextLength)
      why = "text too long";
    else if (HasControlChar(Out))
      why = "control character";
    if (why.empty()) return true;
    Skip(Number, why);
    return false;
  }

  // Replaces the text of Ident; false (and skipped) when the entry may not.
  bool Message(int Ident, const std::string& Translation, int Number) {
    const std::string english = EnglishOf(Ident);
    std::string why;
    if (english.empty())
      why = "unknown identifier";
    else if (std::find(FRules.Fixed.begin(), FRules.Fixed.end(), Ident) != FRules.Fixed.end())
      why = "identifier is not translated";
    else if (!SamePlaceholders(Translation, english))
      why = "'%' placeholders differ from the English text";
    if (!why.empty()) {
      Skip(Number, why);
      return false;
    }
    Replace(Ident, Translation);
    FTaken.push_back({Ident, Number});
    return true;
  }

  // Drops translations that equal another text of their group, one at a time until
  // none does (putting one back to English may make it equal to another).
  void KeepDistinct() {
    for (const std::vector<int>& group : FRules.Distinct) {
      for (bool again = true; again;) {
        again = false;
        std::map<std::string, int> seen;
        for (int ident : group) {
          const std::string text = SysUtils::LoadStr(ident);
          const auto [at, fresh] = seen.emplace(text, ident);
          if (fresh) continue;
          const int other = at->second;
          const bool translated = State().English.count(ident) > 0;
          if (!translated && State().English.count(other) == 0) continue;  // equal in English already
          DropTranslation(translated ? ident : other,
                          "text equals that of " + std::to_string(translated ? other : ident));
          again = true;
          break;
        }
      }
    }
  }

  void DropTranslation(int Ident, const std::string& Why) {
    Revert(Ident);
    State().Loaded.erase(std::to_string(Ident));
    const auto entry = std::find_if(FTaken.begin(), FTaken.end(), [&](const auto& e) { return e.first == Ident; });
    const int number = entry != FTaken.end() ? entry->second : 0;
    --FResult.Taken;
    Skip(number, Why);
  }

  const std::string& FName;
  const TLoadRules& FRules;
  TLoadResult& FResult;
  std::set<std::string> FKeys;
  std::vector<std::pair<int, int>> FTaken;  // identifier, line
};

}  // namespace

std::string LanguageFromLocale(const char* LcAll, const char* LcMessages, const char* Lang) {
  std::string value;
  for (const char* v : {LcAll, LcMessages, Lang})
    if (v && *v) {
      value = v;
      break;
    }
  value = value.substr(0, value.find_first_of(".@"));
  if (value == "C" || value == "POSIX" || !IsLanguageName(value)) return "";
  return value;
}

std::string UserLanguage() {
  return LanguageFromLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

std::vector<std::string> ModuleFileCandidates(const std::string& ModuleFileName, const std::string& Language) {
  if (!IsLanguageName(Language)) return {};
  const std::filesystem::path module(ModuleFileName);
  std::string base = module.filename().string();
  if (base.compare(0, 3, "lib") == 0 && base.size() > 3) base.erase(0, 3);
  const size_t so = base.find(".so");
  if (so != std::string::npos && (so + 3 == base.size() || base[so + 3] == '.'))
    base.erase(so);
  else
    base = std::filesystem::path(base).stem().string();
  std::vector<std::string> result = {(module.parent_path() / (base + "." + Language)).string()};
  const size_t region = Language.find('_');
  if (region != std::string::npos)
    result.push_back((module.parent_path() / (base + "." + Language.substr(0, region))).string());
  return result;
}

TLoadResult LoadModuleText(const std::string& Text, const std::string& Name, const TLoadRules& Rules) noexcept {
  TLoadResult result;
  try {
    RestoreEnglish();
    TModuleReader(Name, Rules, result).Read(Text);
  } catch (...) {  // out of memory: whatever was taken stays, the rest is English
    result.Problems.push_back(Name + ": loading stopped early");
  }
  return result;
}

TLoadResult LoadModuleFile(const std::string& Path, const TLoadRules& Rules) noexcept {
  TLoadResult result;
  try {
    RestoreEnglish();
    std::string text;
    if (!ReadModule(Path, text, result)) return result;
    return LoadModuleText(text, Path, Rules);
  } catch (...) {
    result.Problems.push_back(Path + ": cannot be read");
  }
  return result;
}

TLoadResult LoadForModule(const std::string& ModuleFileName, const std::string& Language,
                          const TLoadRules& Rules) noexcept {
  TLoadResult result;
  try {
    RestoreEnglish();
    for (const std::string& candidate : ModuleFileCandidates(ModuleFileName, Language)) {
      std::error_code error;
      if (!std::filesystem::is_regular_file(candidate, error)) continue;
      TLoadResult attempt = LoadModuleFile(candidate, Rules);
      result.Problems.insert(result.Problems.end(), attempt.Problems.begin(), attempt.Problems.end());
      if (attempt.FileUsed.empty()) continue;  // refused whole: a less specific one may do
      attempt.Problems = std::move(result.Problems);
      return attempt;
    }
  } catch (...) {
    result.Problems.push_back(ModuleFileName + ": no language module loaded");
  }
  return result;
}

void RestoreEnglish() {
  TState& state = State();
  for (const auto& [ident, text] : state.English) SysUtils::RegisterStr(ident, text);
  state.English.clear();
  state.Captions.clear();
  state.Loaded.clear();
}

std::string Caption(const std::string& Key, const std::string& English) {
  TState& state = State();
  if (!English.empty()) state.CaptionEnglish[Key] = English;
  const auto found = state.Captions.find(Key);
  if (found == state.Captions.end() || !SamePlaceholders(found->second, English)) return English;
  return found->second;
}

std::map<std::string, std::string> CaptionDefaults() { return State().CaptionEnglish; }

std::set<std::string> LoadedKeys() { return State().Loaded; }

bool SamePlaceholders(const std::string& A, const std::string& B) { return PercentSequences(A) == PercentSequences(B); }

}  // namespace ResourceModule
