#include "apps/kytfilter/CsvRows.h"

#include <filesystem>
#include <fstream>
#include <vector>

#include "apps/kytfilter/Cli.h"
#include "dataaccess/db/DBText.h"

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
  const std::string part = Out + ".part";
  std::ofstream file(part, std::ios::binary | std::ios::trunc);
  if (!file) throw Failure("kytfilter: cannot write " + Out);
  try {
    Produce([&](const std::string& Bytes) {
      file.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
      if (!file) throw Failure("kytfilter: cannot write " + Out);
    });
    file.close();
    if (!file) throw Failure("kytfilter: cannot write " + Out);
    std::filesystem::rename(part, Out);
  } catch (...) {
    file.close();
    std::error_code ec;
    std::filesystem::remove(part, ec);
    throw;
  }
}

}  // namespace kytcli
