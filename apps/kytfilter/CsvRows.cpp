#include "apps/kytfilter/CsvRows.h"

#include <cerrno>
#include <cstring>
#include <memory>

#include "apps/kytfilter/Cli.h"
#include "dataaccess/db/DBText.h"
#include "host/rtl/SafeFile.h"

namespace kytcli {

namespace {

// Rows are appended to one buffer, handed to Write whenever it passes 64 kB; no field
// or record has a text of its own.
template <typename TQuery, typename TName, typename TValueOf>
void Rows(TQuery& Q, const TWriteProc& Write, TName Name, TValueOf ValueOf) {
  constexpr size_t kBlock = size_t{1} << 16;
  std::string out;
  out.reserve(2 * kBlock);
  const int count = Q.FieldCount();
  for (int i = 0; i < count; ++i) {
    if (i) out += ',';
    out += DB::CsvQuote(DB::AnsiToUtf8(Name(i)));
  }
  out += "\r\n";
  for (; !Q.Eof(); Q.Next()) {
    for (int i = 0; i < count; ++i) {
      if (i) out += ',';
      DB::AppendCsvField(out, ValueOf(i));
    }
    out += "\r\n";
    if (out.size() > kBlock) {
      Write(out);
      out.clear();
    }
  }
  Write(out);
}

}  // namespace

void WriteCsvRows(IB_Components::TIB_Query& Q, const TWriteProc& Write) {
  Rows(
      Q, Write, [&](int i) { return Q.Columns(i)->FieldName(); }, [&](int i) -> const DB::TValue& { return Q.Columns(i)->Value(); });
}

void WriteCsvRows(DB::TDataSet& Q, const TWriteProc& Write) {
  Rows(
      Q, Write, [&](int i) { return Q.Fields(i)->FullName(); }, [&](int i) -> const DB::TValue& { return Q.Fields(i)->Value(); });
}

void WriteFileWhole(const std::string& Out, const std::function<void(const TWriteProc&)>& Produce) {
  std::unique_ptr<SafeFile::TFileReplacer> file;
  try {
    file = std::make_unique<SafeFile::TFileReplacer>(Out);
  } catch (const SysUtils::Exception& e) {
    throw Failure("kytfilter: cannot write " + Out + ": " + e.Message());
  }
  Produce([&](const std::string& Bytes) {
    if (file->Write(Bytes.data(), static_cast<int64_t>(Bytes.size())) != static_cast<int64_t>(Bytes.size()))
      throw Failure("kytfilter: cannot write " + Out + ": " + std::strerror(errno));
  });
  try {
    file->Commit();
  } catch (const SysUtils::Exception& e) {
    throw Failure("kytfilter: cannot write " + Out + ": " + e.Message());
  }
}

}  // namespace kytcli
