// Host run-time: replacing a file safely. The new content goes into a fresh file beside
// the target and takes the target's name only once it is complete, so a reader never
// sees half a file and a failed write leaves the old file as it was.
#pragma once

#include <string>

#include "host/rtl/Classes.h"

namespace SafeFile {

// A write stream whose content replaces the file Target on Commit.
//
// The working file is created exclusively (it never opens a file that already exists,
// nor follows a link someone placed at its name) under a random name in the folder of
// the file Target names. When Target is a symbolic link, the file it points to is
// replaced and the link stays a link. The new file gets the permissions (and, where
// the system allows, the owner) of the file it replaces; a new file gets 0666 less the
// process's umask.
//
// Destroying the stream without Commit, or a failed Commit, removes the working file;
// the target is then untouched.
class TFileReplacer : public Classes::TStream {
 public:
  // Raises Classes::EFCreateError "Cannot create file "Target". <reason>" when the
  // working file cannot be made (folder missing, not writable ...).
  explicit TFileReplacer(const std::string& Target);
  ~TFileReplacer() override;
  TFileReplacer(const TFileReplacer&) = delete;
  TFileReplacer& operator=(const TFileReplacer&) = delete;

  std::string ClassName() const override { return "TFileReplacer"; }
  int64_t Read(void* Buffer, int64_t Count) override;
  // Raises Classes::EWriteError "Cannot write file "Target". <reason>" when the system
  // refuses the bytes (disk full, file-size limit ...).
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, Classes::TSeekOrigin Origin) override;
  void SetSize(int64_t NewSize) override;

  // Flushes the content to the disk and puts it in the target's place. Raises
  // Classes::EWriteError (flush) or Classes::EFCreateError (rename) naming the target;
  // the working file is then removed. REQUIRES: not committed before.
  void Commit();

  // The path that is replaced: Target with its symbolic links resolved.
  const std::string& RealTarget() const { return FReal; }

 private:
  void Discard() noexcept;

  std::string FTarget;  // as the caller named it, for messages
  std::string FReal;
  std::string FWorking;
  int FHandle = -1;
  unsigned FMode = 0;
  bool FKeepOwner = false;
  unsigned FUid = 0, FGid = 0;
};

}  // namespace SafeFile
