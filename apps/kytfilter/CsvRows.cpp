#include "apps/kytfilter/CsvRows.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "apps/kytfilter/Cli.h"
#include "dataaccess/db/DBText.h"
#include "host/rtl/SafeFile.h"

namespace kytcli {

namespace {

template <typename TQuery, typename TName, typename TValueOf>
void Rows(TQuery& Q, const TWriteProc& Write, TName Name, TValueOf ValueOf) {
  std::vector<std::string> fields;
  for (int i = 0; i < Q.FieldCount(); ++i) fields.push_back(DB::CsvQuote(DB::AnsiToUtf8(Name(i))));
  std::string out = DB::CsvRecord(fields);
  for (; !Q.Eof(); Q.Next()) {
    fields.clear();
    for (int i = 0; i < Q.FieldCount(); ++i) fields.push_back(DB::CsvField(ValueOf(i)));
    out += DB::CsvRecord(fields);
    if (out.size() > (1 << 16)) {
      Write(out);
      out.clear();
    }
  }
  Write(out);
}

}  // namespace

void WriteCsvRows(IB_Components::TIB_Query& Q, const TWriteProc& Write) {
  Rows(
      Q, Write, [&](int i) { return Q.Columns(i)->FieldName(); }, [&](int i) { return Q.Columns(i)->Value(); });
}

void WriteCsvRows(DB::TDataSet& Q, const TWriteProc& Write) {
  Rows(
      Q, Write, [&](int i) { return Q.Fields(i)->FullName(); }, [&](int i) { return Q.Fields(i)->Value(); });
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
