#include "filtermodel/kytSQLFilterStruc.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#include "filtermodel/kytSQLFilterRes.h"
#include "host/rtl/SafeFile.h"
#include "host/ui/Dialogs.h"
#include "sqltext/Parse.h"

namespace kytSQLFilterStruc {

TCampos* Campos = nullptr;
FilterArray Filter;
TFilterHeader FH{};

namespace {

const char kReadError[] = "Stream read error";

// A length-prefixed text. The prefix is checked against what the stream still holds
// before the text is allocated, so a damaged record cannot ask for gigabytes.
std::string ReadText(Classes::TStream& Stream) {
  const int32_t n = Stream.ReadInt32();
  if (n < 0 || n > Stream.Size() - Stream.Position()) throw Classes::EReadError(kReadError);
  std::string s(static_cast<size_t>(n), '\0');
  if (n > 0) Stream.ReadBuffer(s.data(), n);
  return s;
}

void WriteText(Classes::TStream& Stream, const std::string& S) {
  if (S.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
    throw Classes::EWriteError("Stream write error");
  Stream.WriteInt32(static_cast<int32_t>(S.size()));
  if (!S.empty()) Stream.WriteBuffer(S.data(), static_cast<int64_t>(S.size()));
}

}  // namespace

// ---- TCampo ----------------------------------------------------------------------------

void TCampo::LoadFromStream(Classes::TStream& Stream) {
  FieldName = ReadText(Stream);
  ComboOrder = Stream.ReadInt32();
  TableName = ReadText(Stream);
  DataType = static_cast<TFType>(Stream.ReadByte());
  MaxSize = Stream.ReadInt32();
  FieldKind = static_cast<TFKind>(Stream.ReadByte());
  Description = ReadText(Stream);
  Supported = Stream.ReadByte() != 0;
  Visible = Stream.ReadByte() != 0;
}

void TCampo::SaveToStream(Classes::TStream& Stream) const {
  WriteText(Stream, FieldName);
  Stream.WriteInt32(ComboOrder);
  WriteText(Stream, TableName);
  Stream.WriteByte(DataType);
  Stream.WriteInt32(MaxSize);
  Stream.WriteByte(FieldKind);
  WriteText(Stream, Description);
  Stream.WriteByte(Supported ? 1 : 0);
  Stream.WriteByte(Visible ? 1 : 0);
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

bool WriteFilter(const std::string& FileName, FilterArray& Filter, Classes::TStrings& Box) {
  const int orderCount = Box.Count();
  if (Filter.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max() / sizeof(FilterRec)))
    throw Classes::EWriteError("Stream write error");

  // The file is written beside the target and takes its place only when complete.
  SafeFile::TFileReplacer file(FileName);
  FH.FilterCount = static_cast<int32_t>(Filter.size());
  FH.OrderCount = orderCount;
  file.WriteBuffer(&FH, sizeof FH);

  try {
    if (!Filter.empty())
      file.WriteBuffer(Filter.data(), static_cast<int64_t>(Filter.size() * sizeof(FilterRec)));
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
      file.WriteBuffer(block.data(), static_cast<int64_t>(block.size()));
    }
    file.Commit();
  } catch (const SysUtils::Exception&) {
    Dialogs::ShowMessage(kytSQLFilterRes::Text(kytSQLFilterRes::sErrorSavingFilter));
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
  // More lines than MaxFilterRecords are refused as well: the dialog builds controls
  // for every line and cannot handle that many.
  const int64_t rest = file.Size() - file.Position();
  if (header.FilterCount < 0 || header.FilterCount > MaxFilterRecords || header.OrderCount < 0 ||
      static_cast<int64_t>(header.FilterCount) * static_cast<int64_t>(sizeof(FilterRec)) +
              static_cast<int64_t>(header.OrderCount) * OrderEntrySize >
          rest) {
    Dialogs::ShowMessage(kytSQLFilterRes::Text(kytSQLFilterRes::sErrorReadingFilter));
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
    Dialogs::ShowMessage(kytSQLFilterRes::Text(kytSQLFilterRes::sErrorReadingFilter));
    throw;
  }
  return true;
}

}  // namespace kytSQLFilterStruc
