#include "filtermodel/kytSQLFilterStruc.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <system_error>
#include <utility>

#include <unistd.h>

#include "filtermodel/kytSQLFilterRes.h"
#include "host/ui/Dialogs.h"
#include "sqltext/Parse.h"

namespace kytSQLFilterStruc {

TCampos* Campos = nullptr;
FilterArray Filter;
TFilterHeader FH{};

namespace {

const char kReadError[] = "Stream read error";

int32_t ReadInt32(Classes::TStream& Stream) {
  int32_t v = 0;
  Stream.ReadBuffer(&v, sizeof v);
  return v;
}

uint8_t ReadByte(Classes::TStream& Stream) {
  uint8_t v = 0;
  Stream.ReadBuffer(&v, 1);
  return v;
}

// A length-prefixed text. The prefix is checked against what the stream still holds
// before the text is allocated, so a damaged record cannot ask for gigabytes.
std::string ReadText(Classes::TStream& Stream) {
  const int32_t n = ReadInt32(Stream);
  if (n < 0 || n > Stream.Size() - Stream.Position()) throw Classes::EReadError(kReadError);
  std::string s(static_cast<size_t>(n), '\0');
  if (n > 0) Stream.ReadBuffer(s.data(), n);
  return s;
}

void WriteInt32(Classes::TStream& Stream, int32_t V) { Stream.WriteBuffer(&V, sizeof V); }

void WriteByte(Classes::TStream& Stream, uint8_t V) { Stream.WriteBuffer(&V, 1); }

void WriteText(Classes::TStream& Stream, const std::string& S) {
  if (S.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
    throw Classes::EWriteError("Stream write error");
  WriteInt32(Stream, static_cast<int32_t>(S.size()));
  if (!S.empty()) Stream.WriteBuffer(S.data(), static_cast<int64_t>(S.size()));
}

}  // namespace

// ---- TCampo ----------------------------------------------------------------------------

void TCampo::LoadFromStream(Classes::TStream& Stream) {
  FieldName = ReadText(Stream);
  ComboOrder = ReadInt32(Stream);
  TableName = ReadText(Stream);
  DataType = static_cast<TFType>(ReadByte(Stream));
  MaxSize = ReadInt32(Stream);
  FieldKind = static_cast<TFKind>(ReadByte(Stream));
  Description = ReadText(Stream);
  Supported = ReadByte(Stream) != 0;
  Visible = ReadByte(Stream) != 0;
}

void TCampo::SaveToStream(Classes::TStream& Stream) const {
  WriteText(Stream, FieldName);
  WriteInt32(Stream, ComboOrder);
  WriteText(Stream, TableName);
  WriteByte(Stream, DataType);
  WriteInt32(Stream, MaxSize);
  WriteByte(Stream, FieldKind);
  WriteText(Stream, Description);
  WriteByte(Stream, Supported ? 1 : 0);
  WriteByte(Stream, Visible ? 1 : 0);
}

void TCampo::Assign(const Classes::TObject* Source) {
  const auto* src = dynamic_cast<const TCampo*>(Source);
  if (src == nullptr)
    throw EInvalidAssign("Invalid Assign ! Object must be a TCampo descendent !");
  if (src == this) return;
  FieldName = src->FieldName;
  ComboOrder = src->ComboOrder;
  TableName = src->TableName;
  DataType = src->DataType;
  MaxSize = src->MaxSize;
  FieldKind = src->FieldKind;
  Description = src->Description;
  Supported = src->Supported;
  Visible = src->Visible;
}

// ---- TCampos ---------------------------------------------------------------------------

TCampos::~TCampos() {
  const int n = Count();
  for (int i = 0; i < n; ++i) delete Get(i);
  TList::Clear();
}

// ---- Short texts and the header --------------------------------------------------------

void TShortText::Set(const std::string& S) {
  const size_t n = std::min<size_t>(S.size(), sizeof Chars);
  Len = static_cast<uint8_t>(n);
  std::memcpy(Chars, S.data(), n);
  std::memset(Chars + n, 0, sizeof Chars - n);
}

std::string TFilterHeader::GetDescription() const {
  const void* zero = std::memchr(Description, 0, sizeof Description);
  const size_t n = zero ? static_cast<size_t>(static_cast<const char*>(zero) - Description)
                        : sizeof Description;
  return std::string(Description, n);
}

void TFilterHeader::SetDescription(const std::string& S) {
  const size_t n = std::min<size_t>(S.size(), sizeof Description - 1);
  std::memcpy(Description, S.data(), n);
  std::memset(Description + n, 0, sizeof Description - n);
  std::memset(Filler, 0, sizeof Filler);
}

// ---- Filter files ----------------------------------------------------------------------

namespace {

namespace fs = std::filesystem;

// A name in the folder of FileName that no file has yet.
std::string NewFileBeside(const std::string& FileName) {
  const fs::path target(FileName);
  const fs::path folder = target.parent_path();
  const std::string base = target.filename().string();
  static unsigned counter = 0;
  for (;;) {
    const std::string name =
        "." + base + "." + std::to_string(::getpid()) + "." + std::to_string(++counter) + ".tmp";
    const fs::path candidate = folder.empty() ? fs::path(name) : folder / name;
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(candidate, ec))) return candidate.string();
  }
}

void RemoveQuietly(const std::string& FileName) {
  std::error_code ec;
  fs::remove(FileName, ec);
}

}  // namespace

bool WriteFilter(const std::string& FileName, FilterArray& Filter, Classes::TStrings& Box) {
  const int orderCount = Box.Count();
  if (Filter.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max() / 1540))
    throw Classes::EWriteError("Stream write error");

  const std::string temp = NewFileBeside(FileName);
  std::unique_ptr<Classes::TFileStream> file;
  try {
    file = std::make_unique<Classes::TFileStream>(temp, Classes::fmCreate);
  } catch (const Classes::EFCreateError& e) {
    // Report the file the caller asked for, not the working name.
    throw Classes::EFCreateError(SysUtils::StringReplaceAll(e.Message(), temp, FileName));
  }

  FH.FilterCount = static_cast<int32_t>(Filter.size());
  FH.OrderCount = orderCount;
  try {
    file->WriteBuffer(&FH, sizeof FH);
  } catch (...) {
    file.reset();
    RemoveQuietly(temp);
    throw;
  }

  try {
    if (!Filter.empty())
      file->WriteBuffer(Filter.data(), static_cast<int64_t>(Filter.size() * sizeof(FilterRec)));
    if (orderCount > 0) {
      // Entries are built in one block: zero filler, a length byte, at most 254 characters.
      std::vector<char> block(static_cast<size_t>(orderCount) * OrderEntrySize, '\0');
      for (int i = 0; i < orderCount; ++i) {
        const std::string text = Box.Get(i);
        const size_t n = std::min<size_t>(text.size(), OrderTextMax);
        char* entry = block.data() + static_cast<size_t>(i) * OrderEntrySize;
        entry[0] = static_cast<char>(n);
        std::memcpy(entry + 1, text.data(), n);
      }
      file->WriteBuffer(block.data(), static_cast<int64_t>(block.size()));
    }
    file.reset();

    std::error_code ec;
    if (fs::exists(FileName, ec)) {
      // The new file keeps the permissions of the one it replaces.
      const fs::perms perms = fs::status(FileName, ec).permissions();
      if (!ec) fs::permissions(temp, perms, ec);
    }
    fs::rename(temp, FileName, ec);
    if (ec)
      throw Classes::EFCreateError("Cannot create file \"" + FileName + "\". " + ec.message());
  } catch (const SysUtils::Exception&) {
    file.reset();
    RemoveQuietly(temp);
    Dialogs::ShowMessage(kytSQLFilterRes::Text(60054));
    throw;
  }
  return true;
}

bool ReadFilter(const std::string& FileName, FilterArray& Filter, Classes::TStrings& Box) {
  Classes::TFileStream file(FileName, Classes::fmOpenRead);
  TFilterHeader header;
  file.ReadBuffer(&header, sizeof header);

  // Every count is checked against the bytes the file still holds before anything is
  // allocated: a damaged or hostile header cannot cause a huge allocation.
  const int64_t rest = file.Size() - file.Position();
  if (header.FilterCount < 0 || header.OrderCount < 0 ||
      static_cast<int64_t>(header.FilterCount) * static_cast<int64_t>(sizeof(FilterRec)) +
              static_cast<int64_t>(header.OrderCount) * OrderEntrySize >
          rest) {
    Dialogs::ShowMessage(kytSQLFilterRes::Text(60055));
    throw Classes::EReadError(kReadError);
  }
  FH = header;

  try {
    Filter.assign(static_cast<size_t>(header.FilterCount), FilterRec{});
    if (!Filter.empty())
      file.ReadBuffer(Filter.data(), static_cast<int64_t>(Filter.size() * sizeof(FilterRec)));
    Box.BeginUpdate();
    try {
      Box.Clear();
      char entry[OrderEntrySize];
      for (int i = 0; i < header.OrderCount; ++i) {
        file.ReadBuffer(entry, OrderEntrySize);
        const size_t n = std::min<size_t>(static_cast<unsigned char>(entry[0]), OrderTextMax);
        Box.Add(std::string(entry + 1, n));
      }
    } catch (...) {
      Box.EndUpdate();
      throw;
    }
    Box.EndUpdate();
  } catch (const Classes::EReadError&) {
    Dialogs::ShowMessage(kytSQLFilterRes::Text(60055));
    throw;
  }
  return true;
}

// ---- Table discovery -------------------------------------------------------------------

namespace {

// Upper case by the code page, then only the characters from the space to "z"; a
// carriage return becomes a space, every other character is dropped.
std::string CleanSQL(const std::string& SQL) {
  std::string out;
  out.reserve(SQL.size());
  for (char ch : SQL) {
    const char up = SysUtils::AnsiUpperChar(ch);
    const unsigned char c = static_cast<unsigned char>(up);
    if (c >= 32 && c <= 122)
      out.push_back(up);
    else if (c == 13)
      out.push_back(' ');
  }
  return out;
}

void AddFromTables(const std::string& Text, Classes::TStrings& List) {
  static const std::vector<std::string> kStops = {"INNER", "OUTER", "RIGHT", "LEFT",
                                                  "JOIN",  "WHERE", "GROUP", "HAVING",
                                                  "UNION", "PLAN",  "ORDER", "FOR"};
  int start = 0, end = 0;
  std::string stop;
  const bool stopped = Parse::ParseStr(Text, "FROM", kStops, start, end, stop, false);
  std::string clause;
  Parse::SubStrings(Text, clause, start, end);

  // Drop "FROM" and the character after it, and the clause's last character: the blank
  // before the keyword that ended it. A list that runs to the end of the text keeps a
  // last character that is not a blank, so the last table name stays whole.
  const int len = static_cast<int>(clause.size());
  int last = len - 1;  // 1-based position of the last character kept
  if (!stopped && len > 0 && clause[len - 1] != ' ') last = len;
  std::string body;
  if (last >= 6) body = clause.substr(5, static_cast<size_t>(last - 5));
  body = SysUtils::TrimLeft(body);
  body += ',';

  size_t from = 0;
  for (size_t comma = body.find(','); comma != std::string::npos; comma = body.find(',', from)) {
    List.Add(SysUtils::Trim(body.substr(from, comma - from)));
    from = comma + 1;
  }
}

// True when Text holds the word JOIN at 1-based position P (the scanner's word rule:
// followed by the end, a blank or a parenthesis).
bool JoinWordAt(const std::string& Text, int P) {
  const size_t i = static_cast<size_t>(P - 1);
  if (Text.compare(i, 4, "JOIN") != 0) return false;
  if (i + 4 >= Text.size()) return true;
  const unsigned char next = static_cast<unsigned char>(Text[i + 4]);
  return next <= 32 || next == '(' || next == ')';
}

// Every JOIN clause in turn. The remainder still to search runs from WinStart to the end
// of the text and is kept as a position, never as a copy, so the whole scan is linear in
// the text. The remainder is not shortened at its end between two clauses: shortening it
// (by two characters per clause, as the scan once did) loses the last tables of a
// statement with several joins and short join conditions.
void AddJoinTables(const std::string& Text, Classes::TStrings& List) {
  static const std::vector<std::string> kStops = {"JOIN",  "WHERE", "GROUP", "HAVING",
                                                  "UNION", "PLAN",  "ORDER", "FOR"};
  int winStart = 1;
  std::string clause, stop;
  while (winStart <= static_cast<int>(Text.size())) {
    int start = winStart, end = 0;
    const bool stopped = Parse::ParseStr(Text, "JOIN", kStops, start, end, stop, false);
    const bool found = stopped || start != winStart || JoinWordAt(Text, winStart);
    if (!found) break;

    Parse::SubStrings(Text, clause, start, end);
    clause = SysUtils::TrimLeft(clause);
    clause += ',';
    const size_t on = clause.size() >= 9 ? clause.find(" ON ", 5) : std::string::npos;
    if (on != std::string::npos) List.Add(SysUtils::Trim(clause.substr(5, on - 5)));

    // The next remainder starts at the word that ended this clause.
    if (!stopped) break;
    winStart = end;
  }
}

// Cuts an entry at its first space outside double quotes: "TABLE ALIAS" gives TABLE.
void StripAliases(Classes::TStrings& List) {
  const int n = List.Count();
  for (int i = 0; i < n; ++i) {
    const std::string entry = List.Get(i);
    bool quoted = false;
    for (size_t k = 0; k < entry.size(); ++k) {
      if (entry[k] == '"') {
        quoted = !quoted;
      } else if (entry[k] == ' ' && !quoted) {
        List.Put(i, entry.substr(0, k));
        break;
      }
    }
  }
}

}  // namespace

void GetUsedTables(const std::string& SQL, Classes::TStrings& List) {
  const std::string text = CleanSQL(SQL);
  AddFromTables(text, List);
  AddJoinTables(text, List);
  StripAliases(List);
}

int MyFindField(const std::string& TableName, const std::string& FieldName,
                const TCampos& ACampos) {
  (void)TableName;  // the match is by column name alone
  const std::string name = SysUtils::Trim(FieldName);
  const int n = ACampos.Count();
  for (int i = 0; i < n; ++i)
    if (ACampos.Get(i)->FieldName == name) return i;
  return -1;
}

}  // namespace kytSQLFilterStruc
