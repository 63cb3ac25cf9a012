// Host run-time, classes: the object root, persistent objects, components with an
// owner and removal notices, the untyped list, string lists and streams.
//
// User-interface thread only: none of these classes is guarded.
//
// Ownership: a TComponent is destroyed by its Owner (the component tree); a TList
// never owns what it points to; a TStringList does not own its objects.
#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/rtl/SysUtils.h"

namespace Classes {

using SysUtils::Exception;

class EListError : public Exception {
 public:
  using Exception::Exception;
};
class EStringListError : public EListError {
 public:
  using EListError::EListError;
};
class EComponentError : public Exception {
 public:
  using Exception::Exception;
};
class EStreamError : public Exception {
 public:
  using Exception::Exception;
};
class EFilerError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
// A stream could not give as many bytes as asked for.
class EReadError : public EFilerError {
 public:
  using EFilerError::EFilerError;
};
// A stream could not take as many bytes as given.
class EWriteError : public EFilerError {
 public:
  using EFilerError::EFilerError;
};
class EFCreateError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
class EFOpenError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

// ---- Objects ----------------------------------------------------------------------

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;
  // The class name as the host writes it in form files ("TComponent").
  virtual std::string ClassName() const { return "TObject"; }
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

class TPersistent : public TObject {
 public:
  std::string ClassName() const override { return "TPersistent"; }
  // Copies Source into this object. The default asks Source to AssignTo this object;
  // when neither side knows the other, raises EConvertError
  // "Cannot assign a <Source class> to a <this class>".
  virtual void Assign(TPersistent* Source);

 protected:
  virtual void AssignTo(TPersistent* Dest);
};

class TComponent;
class TFiler;
enum class TOperation { opInsert, opRemove };

enum TComponentStateFlag : unsigned {
  csLoading = 1u << 0,
  csReading = 1u << 1,
  csWriting = 1u << 2,
  csDestroying = 1u << 3,
  csDesigning = 1u << 4,
};

// A component lives in the tree of its Owner: the owner destroys it, and announces
// its insertion and removal to every other component it owns (Notification). A
// component that must hear of the removal of one outside its owner asks for it with
// FreeNotification.
//
// An owner that is being destroyed (Destroying) announces no removals to its other
// components: they are going as well. Free-notification links are always honoured,
// so a component that holds a pointer to another must ask for FreeNotification (or
// clear the pointer itself) to be told of that one's end during its owner's
// destruction.
class TComponent : public TPersistent {
 public:
  // Owner takes ownership when not null.
  explicit TComponent(TComponent* AOwner);
  // Marks itself and all it owns as destroying, tells those that asked for
  // FreeNotification, destroys every owned component (last first) and leaves the
  // owner (announced there unless the owner is destroying too).
  ~TComponent() override;
  std::string ClassName() const override { return "TComponent"; }

  TComponent* Owner() const { return FOwner; }
  const std::string& Name() const { return FName; }
  // Raises EComponentError when another component of the same owner has this name
  // (without regard to letter case) or the name is not an identifier.
  virtual void SetName(const std::string& NewName);
  intptr_t Tag() const { return FTag; }
  void SetTag(intptr_t Value) { FTag = Value; }

  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int Index) const;
  // The owned component of that name (without regard to letter case), or null.
  TComponent* FindComponent(const std::string& AName) const;

  // Moves AComponent under this owner (it leaves its old owner first).
  void InsertComponent(TComponent* AComponent);
  // Takes AComponent out of this owner without destroying it.
  void RemoveComponent(TComponent* AComponent);
  // Destroys every owned component, last first.
  void DestroyComponents();
  // Marks this component and everything it owns, to any depth, as destroying
  // (csDestroying): from now on removals from any of them are not announced to the
  // owner's other components. The destructor calls it; a class whose destructor
  // frees owned components before the base destructor runs (a form's OnDestroy)
  // calls it first, so those removals are not announced one by one to every
  // component left. Cannot be undone.
  void Destroying();

  // AComponent will be told (Notification opRemove) when this component goes away,
  // whatever its owner. The request is dropped when either side is destroyed.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

  unsigned ComponentState() const { return FComponentState; }
  bool InState(unsigned Flags) const { return (FComponentState & Flags) != 0; }
  void SetDesigning(bool Value);
  void SetLoading(bool Value);
  // Called after the component's properties were read from a form file.
  virtual void Loaded() { SetLoading(false); }
  // Declares the properties this component stores in a form file beyond its published
  // ones (TFiler::DefineProperty, DefineBinaryProperty). The default declares none.
  virtual void DefineProperties(TFiler& Filer) { (void)Filer; }
  // The handler of that name published by this component, as a std::function of the
  // event's signature: a form (a root) overrides it so that a form file's event
  // handler names resolve. Empty when none.
  virtual std::any MethodAddress(const std::string& Name) const {
    (void)Name;
    return {};
  }

 protected:
  // Told of every component inserted into or removed from the owner, and of the
  // destruction of components this one asked FreeNotification of. The default drops
  // a free-notification link to a removed component and forwards the notice to the
  // owned components (not while this component is destroying).
  virtual void Notification(TComponent* AComponent, TOperation Operation);

 private:
  void Insert(TComponent* AComponent);
  void Remove(TComponent* AComponent);
  void Broadcast(TComponent* AComponent, TOperation Operation);

  TComponent* FOwner = nullptr;
  std::string FName;
  intptr_t FTag = 0;
  unsigned FComponentState = 0;
  std::vector<TComponent*> FComponents;
  // The named ones among FComponents by their AnsiUpperCase name: names are unique
  // without regard to case, and a form with thousands of controls looks each new
  // name up.
  std::unordered_map<std::string, TComponent*> FNames;
  uint64_t FRemovals = 0;  // owned components removed so far
  std::vector<TComponent*> FFreeNotifies;
};

// The host's non-visual container: the root of a form file that holds components
// (queries, filters) and no window. Registered for form files as "TDataModule".
class TDataModule : public TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TDataModule"; }
};

// ---- Untyped list -----------------------------------------------------------------

// A list of untyped references. It never owns what they point to.
class TList : public TObject {
 public:
  ~TList() override = default;
  std::string ClassName() const override { return "TList"; }

  int Count() const { return static_cast<int>(FList.size()); }
  // Raises EListError "List count out of bounds (n)" for a negative count.
  void SetCount(int NewCount);
  int Capacity() const { return static_cast<int>(FList.capacity()); }
  void SetCapacity(int NewCapacity);

  // Index checks raise EListError "List index out of bounds (i)".
  void* Get(int Index) const;
  void Put(int Index, void* Item);
  int Add(void* Item);
  void Insert(int Index, void* Item);
  void Delete(int Index);
  // Removes the first occurrence; returns its index or -1.
  int Remove(void* Item);
  int IndexOf(void* Item) const;
  void* First() const { return Get(0); }
  void* Last() const { return Get(Count() - 1); }
  void Exchange(int Index1, int Index2);
  void Move(int CurIndex, int NewIndex);
  // Grows the capacity when the list is full; returns the list itself.
  TList* Expand();
  virtual void Clear();
  // The underlying array; valid until the list changes.
  void** List() { return FList.data(); }

 private:
  void Check(int Index) const;
  std::vector<void*> FList;
};

// ---- String lists -------------------------------------------------------------------

// A list of text lines, each with an optional object reference (not owned).
// Subclasses store the lines: TStringList in memory, the item lists of drop-downs and
// list boxes in their control.
class TStrings : public TPersistent {
 public:
  std::string ClassName() const override { return "TStrings"; }

  virtual int Count() const = 0;
  // Index checks raise EStringListError "List index out of bounds (i)".
  virtual std::string Get(int Index) const = 0;
  virtual void Put(int Index, const std::string& S);
  virtual TObject* GetObject(int Index) const;
  virtual void PutObject(int Index, TObject* AObject);
  virtual void Insert(int Index, const std::string& S) = 0;
  virtual void InsertObject(int Index, const std::string& S, TObject* AObject);
  virtual void Delete(int Index) = 0;
  virtual void Clear() = 0;
  // Appends; a sorted list inserts at the sorted place. Returns the new index.
  virtual int Add(const std::string& S);
  int AddObject(const std::string& S, TObject* AObject);
  void AddStrings(const TStrings& Strings);
  // The first line equal to S without regard to letter case by the code page, or -1.
  virtual int IndexOf(const std::string& S) const;
  int IndexOfObject(const TObject* AObject) const;
  // The first line of the form Name=Value whose name is Name (without regard to
  // case), or -1; and the value of that line, or the empty text.
  int IndexOfName(const std::string& Name) const;
  std::string Values(const std::string& Name) const;
  void Exchange(int Index1, int Index2);
  virtual void Move(int CurIndex, int NewIndex);

  // All lines, each followed by CR LF.
  virtual std::string Text() const;
  // Replaces the lines by those of Value, split at CR LF, CR or LF; a last line
  // without a break counts as a line.
  virtual void SetText(const std::string& Value);
  // Replaces the lines and objects by those of Source (a TStrings); anything else
  // goes to TPersistent::Assign.
  void Assign(TPersistent* Source) override;
  bool Equals(const TStrings& Other) const;

  // Bracket a batch of changes: change events are held back until the last EndUpdate.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  void LoadFromStream(class TStream& Stream);
  void SaveToStream(class TStream& Stream) const;
  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName) const;

 protected:
  virtual void SetUpdateState(bool Updating) { (void)Updating; }
  void CheckIndex(int Index, int Limit) const;

 private:
  int FUpdateCount = 0;
};

enum class TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList;
using TStringListSortCompare = std::function<int(TStringList& List, int Index1, int Index2)>;

// Lines in memory. A sorted list keeps its lines in the order of AnsiCompareText.
class TStringList : public TStrings {
 public:
  std::string ClassName() const override { return "TStringList"; }

  int Count() const override { return static_cast<int>(FItems.size()); }
  std::string Get(int Index) const override;
  void Put(int Index, const std::string& S) override;
  TObject* GetObject(int Index) const override;
  void PutObject(int Index, TObject* AObject) override;
  // On a sorted list raises EStringListError "Operation not allowed on sorted string list".
  void Insert(int Index, const std::string& S) override;
  void InsertObject(int Index, const std::string& S, TObject* AObject) override;
  void Delete(int Index) override;
  void Clear() override;
  int Add(const std::string& S) override;
  int IndexOf(const std::string& S) const override;
  void Move(int CurIndex, int NewIndex) override;

  bool Sorted() const { return FSorted; }
  // Sorting an unsorted list sorts it at once.
  void SetSorted(bool Value);
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
  // Binary search of a sorted list: true when S is present; Index is its position, or
  // where it would be inserted.
  bool Find(const std::string& S, int& Index) const;
  void Sort();
  void CustomSort(const TStringListSortCompare& Compare);

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  void SetUpdateState(bool Updating) override;
  void Changing();
  void Changed();

 private:
  struct Item {
    std::string S;
    TObject* Object = nullptr;
  };
  int InsertSorted(const std::string& S, TObject* AObject);
  void InsertItem(int Index, const std::string& S, TObject* AObject);

  std::vector<Item> FItems;
  bool FSorted = false;
  TDuplicates FDuplicates = TDuplicates::dupIgnore;
};

// ---- Streams -----------------------------------------------------------------------

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

// A sequence of bytes with a position.
class TStream : public TObject {
 public:
  std::string ClassName() const override { return "TStream"; }
  // Move up to Count bytes and return how many moved (0 at the end).
  virtual int64_t Read(void* Buffer, int64_t Count) = 0;
  virtual int64_t Write(const void* Buffer, int64_t Count) = 0;
  // Returns the new position.
  virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;

  int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(int64_t Pos) { Seek(Pos, TSeekOrigin::soBeginning); }
  virtual int64_t Size();
  virtual void SetSize(int64_t NewSize);

  // Move exactly Count bytes or raise EReadError "Stream read error" /
  // EWriteError "Stream write error". What was moved before the failure stays moved.
  void ReadBuffer(void* Buffer, int64_t Count);
  void WriteBuffer(const void* Buffer, int64_t Count);
  // Copies Count bytes from Source (all of Source from its start when Count is 0).
  int64_t CopyFrom(TStream& Source, int64_t Count);

  // One byte, and a 32-bit little-endian integer, exactly (as ReadBuffer/WriteBuffer).
  uint8_t ReadByte();
  int32_t ReadInt32();
  void WriteByte(uint8_t Value);
  void WriteInt32(int32_t Value);
};

// Bytes in memory.
class TMemoryStream : public TStream {
 public:
  std::string ClassName() const override { return "TMemoryStream"; }
  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() override { return static_cast<int64_t>(FData.size()); }
  void SetSize(int64_t NewSize) override;
  void Clear();
  // The bytes; valid until the stream changes size.
  uint8_t* Memory() { return FData.data(); }
  const uint8_t* Memory() const { return FData.data(); }
  // Replace the content by the whole of Stream (from its start) or of the file.
  void LoadFromStream(TStream& Stream);
  void LoadFromFile(const std::string& FileName);
  void SaveToStream(TStream& Stream);
  void SaveToFile(const std::string& FileName);

 private:
  std::vector<uint8_t> FData;
  int64_t FPosition = 0;
};

// File open modes, as the host names them.
enum : unsigned {
  fmOpenRead = 0x0000,
  fmOpenWrite = 0x0001,
  fmOpenReadWrite = 0x0002,
  fmShareExclusive = 0x0010,
  fmShareDenyWrite = 0x0020,
  fmShareDenyNone = 0x0040,
  // Creates the file, or truncates an existing one, for reading and writing.
  fmCreate = 0xFFFF,
};

// A file. Share modes are accepted and not enforced.
class TFileStream : public TStream {
 public:
  // Raises EFCreateError / EFOpenError "Cannot create|open file "name". <reason>".
  TFileStream(const std::string& FileName, unsigned Mode);
  ~TFileStream() override;
  std::string ClassName() const override { return "TFileStream"; }
  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  void SetSize(int64_t NewSize) override;
  const std::string& FileName() const { return FFileName; }

 private:
  std::string FFileName;
  int FHandle = -1;
};

}  // namespace Classes
