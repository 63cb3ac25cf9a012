// The part of the three filter components (TkytIBOFilter, TkytIBDFilter, TkytBDEFilter)
// that does not depend on the kind of query: published properties and their form-file
// persistence, the field-definitions image, Execute and ClearFilter, building and
// refreshing the field catalogue.
//
// What differs between the three is gathered in a TFilterVariant that each unit defines
// once and hands to the constructor: how to test for, read, write, open and close its
// kind of query, how its clauses are replaced, and how the columns of a query and of a
// table are described.
//
// The catalogue Campos and the criteria lines Filter are process-wide (unit
// kytSQLFilterStruc) and shared by every filter component: creating or destroying any
// component empties Filter, destroying one frees Campos (while an Execute shows the
// dialog, only when the last running Execute ends). User-interface thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <utility>
#include <vector>

#include "dataaccess/db/DB.h"
#include "filtermodel/kytSQLFilterStruc.h"
#include "host/rtl/Classes.h"
#include "host/rtl/ClassesFiler.h"
#include "host/rtl/TypInfo.h"

namespace kytSQLFilterForm {
class TformFilter;
}

namespace kytFilterBase {

// Events. No sender is passed. The handler may change the text or the lines it is given.
using TkytOnApplySQLEvent = Classes::TMethod<void(std::string& NewSQL)>;
using TkytOnInitFilterEvent = Classes::TMethod<void(kytSQLFilterStruc::FilterArray& FilterData)>;

// The marker that starts every field-definitions image.
inline constexpr int32_t FieldDefsMarker = 9999;
// The smallest stream record of one TCampo: three empty texts (a 4-byte length each),
// ComboOrder and MaxSize (4 bytes each) and four one-byte fields.
inline constexpr int64_t MinCampoRecordSize = 3 * 4 + 4 + 4 + 4;

// Writes the field-definitions image of ACampos at the stream's position: the marker,
// the number of entries (32-bit little-endian) and one TCampo record per entry in list
// order. Raises what the stream raises.
void WriteFieldDefs(const kytSQLFilterStruc::TCampos& ACampos, Classes::TStream& Stream);

// Reads a field-definitions image from the stream's position and appends its entries
// to ACampos, all or nothing. A marker other than 9999, a negative count or one that the
// rest of the stream cannot hold raises Classes::EReadError "Invalid field definitions
// image: ..." before anything is allocated; a record cut short raises EReadError too.
// On every failure ACampos is unchanged.
void ReadFieldDefs(Classes::TStream& Stream, kytSQLFilterStruc::TCampos& ACampos);

// The catalogue type of a dataset field type (DB::TFieldType ordinal), as the dataset
// variants map it; Supported false for the types the dialog cannot filter on.
struct TTypeMapping {
  kytSQLFilterStruc::TFType DataType;
  bool Supported;
};
TTypeMapping DataSetFieldType(int FieldTypeOrdinal);

// One column as a variant describes it, before it becomes a catalogue entry.
struct TColumnInfo {
  std::string FieldName;    // the name the entry gets
  std::string TestName;     // the name looked up among existing entries (second pass)
  std::string TableName;    // with its trailing "."; may be "." or empty
  kytSQLFilterStruc::TFType DataType = kytSQLFilterStruc::fUnknow;
  bool Supported = false;
  int32_t MaxSize = 0;
  std::string Description;  // never empty when the column has a name
};

// What one filter class does its own way. Every Query argument has passed IsQuery.
class TFilterVariant {
 public:
  virtual ~TFilterVariant() = default;
  // The class test of the query kind (this class or a descendant); false for null.
  virtual bool IsQuery(const Classes::TComponent* Query) const = 0;
  // The class test of the filter class itself (this class or a descendant).
  virtual bool IsFilter(const Classes::TPersistent* Filter) const = 0;
  // The initial value of SpecialOperators, and whether it is also the form-file default.
  virtual kytSQLFilterStruc::TSpecialOperators InitialSpecialOperators() const = 0;
  virtual bool SpecialOperatorsHaveDefault() const = 0;

  virtual std::string GetSQL(Classes::TComponent& Query) const = 0;
  virtual void SetSQL(Classes::TComponent& Query, const std::string& SQL) const = 0;
  virtual bool Active(Classes::TComponent& Query) const = 0;
  virtual void Open(Classes::TComponent& Query) const = 0;
  virtual void Close(Classes::TComponent& Query) const = 0;
  virtual void SetSQLWhere(std::string& SQL, const std::string& Clause) const = 0;
  virtual void SetSQLOrder(std::string& SQL, const std::string& Clause) const = 0;

  // Describes the output columns of the open query, in result order.
  virtual void DescribeQuery(Classes::TComponent& Query, std::vector<TColumnInfo>& Columns) const = 0;
  // Runs after the entries of the query's columns were added; the engine-query variant
  // asks the engine for their base tables here. The default does nothing.
  virtual void AfterQueryColumns(Classes::TComponent& Query, kytSQLFilterStruc::TCampos& ACampos) const;

  // The scratch query that describes the further tables of a statement, one after the
  // other: a query of this kind without owner on the database of Query, read-only and
  // one-directional where the kind knows it. The caller owns it.
  virtual std::unique_ptr<Classes::TComponent> NewScratchQuery(Classes::TComponent& Query) const = 0;
  // Makes the columns of the scratch query's statement readable, reading as little as
  // the kind allows (prepared only, or opened). Raises the engine's error.
  virtual void OpenScratch(Classes::TComponent& Scratch) const = 0;
  // Undoes OpenScratch; also called after OpenScratch failed.
  virtual void CloseScratch(Classes::TComponent& Scratch) const = 0;
  // Describes the columns of the readable scratch query, which reads Table.
  virtual void DescribeTable(Classes::TComponent& Scratch, const kytSQLFilterStruc::TTableRef& Table,
                             std::vector<TColumnInfo>& Columns) const = 0;

  // The engine the query's statement is written for. The default is Firebird.
  virtual kytSQLFilterStruc::TSqlDialect Dialect(Classes::TComponent& Query) const;
  // Whether the filter's condition is written with "?" markers and the values passed
  // as bind parameters (SetParams) rather than as literals. The default is false.
  virtual bool UseParameters(const Classes::TPersistent& Filter) const;
  // Gives Query the values of the markers of the text just set with SetSQL, in order;
  // called after every SetSQL that is followed by Open, with the empty list when the
  // text has no markers. The default does nothing.
  virtual void SetParams(Classes::TComponent& Query, const kytSQLFilterStruc::TSqlParams& Params) const;
};

// What the two variants over datasets (DB::TDataSet) share: opening, closing and the
// state are the dataset's, and a field is described by its type, data size and label.
class TDataSetVariant : public TFilterVariant {
 public:
  bool Active(Classes::TComponent& Query) const override;
  void Open(Classes::TComponent& Query) const override;
  void Close(Classes::TComponent& Query) const override;
  // Clauses are replaced by unit Parse.
  void SetSQLWhere(std::string& SQL, const std::string& Clause) const override;
  void SetSQLOrder(std::string& SQL, const std::string& Clause) const override;
  // A scratch dataset is opened (which reads its first row) and closed.
  void OpenScratch(Classes::TComponent& Scratch) const override { Open(Scratch); }
  void CloseScratch(Classes::TComponent& Scratch) const override { Close(Scratch); }

  // Type (DataSetFieldType), MaxSize (the data size), Description (the display label)
  // and TestName (the full name) of Field; the names are the caller's to set.
  static TColumnInfo DescribeField(const DB::TField& Field);

 private:
  static DB::TDataSet& AsDataSet(Classes::TComponent& Query);
};

// The filter component, whatever its query. Each unit derives its class from
// TkytFilter<its query> and names it; applications use those classes.
//
// Ownership: the component owns its string lists, its field-definitions image and,
// during Execute only, the filter dialog. The linked query (DataSet) is not owned; the
// link is cleared when that query is destroyed, whatever its owner.
class TkytCustomFilter : public Classes::TComponent {
 public:
  // Empties the shared Filter and frees the shared Campos; while any Execute runs,
  // Campos is freed when the last one ends, since its dialog shows the entries. A
  // component destroyed during its own Execute (by a handler, or while the dialog is
  // shown) makes that Execute end with the silent abort; the dialog is freed by it.
  ~TkytCustomFilter() override;

  // ---- Published properties (form-file order: see FilterProperties) ----
  bool AllowAllFields() const { return FAllowAllFields; }
  void SetAllowAllFields(bool Value) { FAllowAllFields = Value; }
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value) { FCaption = Value; }
  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool Value) { FCaseSensitive = Value; }
  bool AllowOrdering() const { return FAllowOrdering; }
  void SetAllowOrdering(bool Value) { FAllowOrdering = Value; }
  // The ordering entries the dialog starts with; their number is fixed in the dialog.
  // The component keeps its own list: the setter copies the lines of Value (null changes
  // nothing).
  Classes::TStringList* FixedOrder() const { return FFixedOrder.get(); }
  void SetFixedOrder(const Classes::TStrings* Value);
  const std::string& SQLDateFormat() const { return FSQLDateFormat; }
  // Both date setters run CheckDate first: an invalid pattern is reported and ends with
  // the silent abort, the old value stays.
  void SetSQLDateFormat(const std::string& Value);
  const std::string& EditDateFormat() const { return FEditDateFormat; }
  void SetEditDateFormat(const std::string& Value);
  bool SortFields() const { return FSortFields; }
  void SetSortFields(bool Value) { FSortFields = Value; }
  // A condition every filter keeps; copied like FixedOrder.
  Classes::TStringList* ConstSQLWhere() const { return FConstSQLWhere.get(); }
  void SetConstSQLWhere(const Classes::TStrings* Value);
  char StringQuotes() const { return FStringQuotes; }
  void SetStringQuotes(char Value) { FStringQuotes = Value; }
  const std::string& FilterDir() const { return FFilterDir; }
  void SetFilterDir(const std::string& Value) { FFilterDir = Value; }
  kytSQLFilterStruc::TSpecialOperators SpecialOperators() const { return FSpecialOperators; }
  void SetSpecialOperators(kytSQLFilterStruc::TSpecialOperators Value) { FSpecialOperators = Value; }

  TkytOnApplySQLEvent OnApplySQL;
  TkytOnInitFilterEvent OnInitFilterData;

  // The ordering accepted at the last successful Execute; empty before.
  const Classes::TStringList* LastOrder() const { return FLastOrder.get(); }

  // The linked query, untyped (the derived class offers it typed as DataSet()).
  Classes::TComponent* DataSetComponent() const { return FDataSet; }

  // ---- Commands ----
  // Shows the filter dialog over the linked query. True when the user accepted and the
  // query reopened with the new statement; false when the user cancelled, or when the
  // new statement failed (whatever a handler raised): then "Error opening the Dataset
  // with the NEW SQL" was shown and the previous statement is open again on the query
  // that was linked when Execute began (unless that query is gone; when it cannot open
  // either, as when the database is unreachable, it stays in place closed). Criteria and
  // ordering name the columns as the statement does: by a table's alias where it has
  // one. Without a DataSet: message "You must set the Dataset !" and the silent abort
  // (SysUtils::EAbort); nothing is touched. A component destroyed during its Execute
  // ends it with the silent abort.
  // The condition is written for the variant's Dialect; where the variant asks for
  // parameters (UseParameters) it holds "?" markers, OnApplySQL sees them, and the values
  // go to the query (SetParams) after the text and before it opens; the restored
  // previous statement gets back the values this component had bound to it.
  bool Execute();
  // Puts the constant condition (or no condition) in place of the query's WHERE clause
  // and reopens it. A failure shows "Error trying to set SQL to :", restores the
  // previous statement (with the values bound to it) and leaves the query closed.
  // Without a DataSet: as Execute.
  void ClearFilter();
  // Opens the field-definitions editor; until it exists, says so in a message box.
  void CallFieldDefs();

  // ---- Catalogue ----
  // Makes sure campos is a catalogue (creates it when null; the caller owns it) and
  // fills it when it is empty: from the field-definitions image when there is one and
  // ForceQuery is false, otherwise from the query (its columns, then the further
  // columns of every table its statement uses). A catalogue that has entries is left
  // as it is.
  // Failures: no DataSet: message "You must set the Dataset !" and the silent abort,
  // campos untouched; the query cannot be opened: message "Error trying to open the
  // dataset" and the silent abort; an engine error while describing a table propagates
  // and campos stays empty (never half built); a bad image: as FillCampos, campos
  // untouched. The query is left open.
  void InitCamposData(kytSQLFilterStruc::TCampos*& campos, bool ForceQuery);
  // Appends the entries of the field-definitions image to the shared Campos (created
  // when null). An image that cannot be read raises Classes::EReadError with a message
  // that says why; Campos is then unchanged.
  void FillCampos();
  // Brings the shared Campos up to date with the query (kinds: see TRefreshType).
  // Errors of InitCamposData propagate; without rtEverything Campos is then unchanged.
  void RefreshData(kytSQLFilterStruc::TRefreshTypeS RefreshType);

  // ---- Statement of a query ----
  // Text := the whole SQL text of Query. A Query that is not of this component's kind
  // (null included): message "Dataset type not recognized !" and the silent abort.
  void GetActualSQL(Classes::TComponent* Query, std::string& Text) const;
  // Replaces the whole SQL text of Query; failures as GetActualSQL.
  void SetActualSQL(Classes::TComponent* Query, const std::string& Text) const;

  // ---- Field-definitions image ----
  // The image: empty, or what the property editor stored (marker, count, records).
  const std::vector<uint8_t>& FieldDefsData() const { return FFieldDefsData; }
  // The image becomes the whole content of Stream, read from its start.
  void LoadFromStream(Classes::TStream& Stream);
  // Writes the image at the start of Stream; nothing when it is empty.
  void SaveToStream(Classes::TStream& Stream) const;
  bool Empty() const { return FFieldDefsData.empty(); }
  // True when both images are empty; false when only one is, or when Other is of
  // another class; otherwise whether the images have the same bytes.
  bool Equal(const TkytCustomFilter& Other) const;

  // Defines the binary property "Data" holding the image. It is written when there is
  // no ancestor and the image is not empty, when the ancestor is not a filter of this
  // class, or when its image differs.
  void DefineProperties(Classes::TFiler& Filer) override;

  // Returns when Pattern formats today's date into a text that parses back as a date
  // in that pattern; otherwise shows "Indalid Date Format" and ends with the silent
  // abort. A pattern without "/" is parsed back by its own separator, so "yyyy-mm-dd"
  // and "dd.mm.yyyy" pass whatever the locale's date separator. The process-wide short
  // date pattern and date separator are the same afterwards in either case.
  static void CheckDate(const std::string& Pattern);

 protected:
  // Variant must outlive the component (each unit holds one for the process). Empties
  // the shared Filter and sets the initial property values.
  TkytCustomFilter(Classes::TComponent* AOwner, const TFilterVariant& Variant);

  // Links Value (not owned), asking to hear of its destruction.
  void SetDataSetComponent(Classes::TComponent* Value);
  void Notification(Classes::TComponent* AComponent, Classes::TOperation Operation) override;

  std::string FFilterFieldDefs;  // never set by the system; see the units' FilterFieldDefs

 private:
  struct TExecution;

  void RequireDataSet() const;
  void ReadImage(kytSQLFilterStruc::TCampos*& ACampos) const;
  void BuildFromQuery(kytSQLFilterStruc::TCampos& ACampos);
  void DescribeTable(Classes::TComponent& Scratch, const kytSQLFilterStruc::TTableRef& Table,
                     std::vector<TColumnInfo>& Columns) const;
  bool Apply(kytSQLFilterForm::TformFilter& Form, TExecution& Run, const std::string& Previous,
             const kytSQLFilterStruc::TSqlParams& PreviousParams);
  // The date pattern of the dialog's SQL for Dialect: SQLDateFormat, except that on an
  // engine other than Firebird the initial pattern gives way to the engine's own
  // "yyyy-mm-dd".
  std::string DialogSQLDateFormat(kytSQLFilterStruc::TSqlDialect Dialect) const;
  // Sets Text and its parameter values as the linked query's statement (Query), and
  // remembers the values as those of that text.
  void SetStatement(Classes::TComponent& Query, const std::string& Text, const kytSQLFilterStruc::TSqlParams& Params);
  // The values this component bound to the statement Text of the linked query; empty
  // when it set no values with that text.
  kytSQLFilterStruc::TSqlParams ParamsOf(const std::string& Text) const;
  void AddEntry(kytSQLFilterStruc::TCampos& ACampos, const TColumnInfo& Column,
                kytSQLFilterStruc::TFKind Kind) const;
  Classes::TComponent& Query() const;
  void ReadData(Classes::TStream& Stream) { LoadFromStream(Stream); }
  void WriteData(Classes::TStream& Stream) const { SaveToStream(Stream); }
  bool HasData(const Classes::TPersistent* Ancestor) const;

  const TFilterVariant& FVariant;
  std::string FCaption;
  std::string FEditDateFormat;
  std::string FSQLDateFormat;
  Classes::TComponent* FDataSet = nullptr;
  std::unique_ptr<Classes::TStringList> FConstSQLWhere;
  bool FSortFields = false;
  bool FCaseSensitive = false;
  char FStringQuotes = '\'';
  bool FAllowOrdering = true;
  std::unique_ptr<Classes::TStringList> FFixedOrder;
  std::string FFilterDir;
  bool FAllowAllFields = false;
  std::vector<uint8_t> FFieldDefsData;
  kytSQLFilterStruc::TSpecialOperators FSpecialOperators;
  std::unique_ptr<Classes::TStringList> FLastOrder;
  TExecution* FExecution = nullptr;  // the innermost Execute of this component, if any
  // The statement this component last set on the linked query and the values bound
  // with it; forgotten when the link changes.
  std::string FBoundSQL;
  kytSQLFilterStruc::TSqlParams FBoundParams;
};

// The one variant object of class V, made on first use and kept for the process.
template <class V>
const V& VariantOf() {
  static const V variant;
  return variant;
}

// The filter component over queries of class Q.
template <class Q>
class TkytFilter : public TkytCustomFilter {
 public:
  using TQueryClass = Q;
  Q* DataSet() const { return static_cast<Q*>(DataSetComponent()); }
  void SetDataSet(Q* Value) { SetDataSetComponent(Value); }

 protected:
  using TkytCustomFilter::TkytCustomFilter;
};

// The published properties of a filter class, in form-file order, for its TClassInfo.
// DataSetProp is the class's own DataSet property (typed by its query class);
// FilterFieldDefsProp its own FilterFieldDefs property.
std::vector<TypInfo::TPropInfo> FilterProperties(const TFilterVariant& Variant, TypInfo::TPropInfo DataSetProp,
                                                 TypInfo::TPropInfo FilterFieldDefsProp);

// Registers the filter class F (a TkytFilter with DataSet and FilterFieldDefs
// properties) under ClassName with its published properties, for form files. Calling
// it again does no harm.
// The FilterFieldDefs property is declared with the unit's own type, so that a designer
// attaches that unit's property editor to it.
template <class F>
void RegisterFilterClass(const std::string& ClassName, const TFilterVariant& Variant) {
  using TDefs = std::decay_t<decltype(std::declval<const F&>().FilterFieldDefs())>;
  TypInfo::TPropInfo defs =
      TypInfo::StringProp<F>("FilterFieldDefs", &F::FilterFieldDefs, &F::SetFilterFieldDefs, std::string());
  defs.Type = &typeid(TDefs);
  TypInfo::RegisterClass({ClassName, "TComponent", [](Classes::TComponent* Owner) { return new F(Owner); },
                          FilterProperties(Variant, TypInfo::ComponentProp<F>("DataSet", &F::DataSet, &F::SetDataSet),
                                           std::move(defs))});
}

}  // namespace kytFilterBase
