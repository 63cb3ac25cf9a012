// The rows of an open query as CSV, shared by the db rows and apply verbs.
#pragma once

#include <functional>
#include <string>

#include "dataaccess/db/DB.h"
#include "dataaccess/ibobjects/IB_Components.h"

namespace kytcli {

using TWriteProc = std::function<void(const std::string& Bytes)>;

// A header line of column names, then every row from the query's current one on, as
// RFC 4180 records in UTF-8 (NULL as an empty field), handed to Write in blocks.
void WriteCsvRows(IB_Components::TIB_Query& Query, const TWriteProc& Write);
void WriteCsvRows(DB::TDataSet& Query, const TWriteProc& Write);

// Runs Produce with a writer into a new file beside Out that replaces Out only when
// complete (SafeFile::TFileReplacer), so a failure keeps what Out held. Raises Failure
// "kytfilter: cannot write OUT: reason"; a failure Produce raises propagates.
void WriteFileWhole(const std::string& Out, const std::function<void(const TWriteProc&)>& Produce);

}  // namespace kytcli
