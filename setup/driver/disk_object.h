// CDiskObject: file and folder existence and recursive folder creation on
// wide-string paths. Forward slashes are accepted; relative paths are taken
// against the process's current directory, which every call leaves as it was.
#pragma once

#include <string>

class CDiskObject {
 public:
  // True when the file exists and can be opened for reading (never a folder).
  bool FileExists(const std::wstring& path);
  // True when the folder exists and can be made the current directory.
  bool DirectoryExists(const std::wstring& path);
  // Creates the folder and any missing parents; true when it exists at the end.
  bool CreateDirectoryPath(const std::wstring& path);

  // Rewrites a file path as an absolute one; false when its folder, name or
  // extension holds ':', '*' or '?'.
  bool QualifyFilePath(std::wstring* path);
  // As QualifyFilePath for a folder, which gets a trailing backslash; UNC
  // paths are accepted as they are.
  bool QualifyDirectoryPath(std::wstring* path);
};
