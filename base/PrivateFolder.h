// Private temporary folders: a fresh name, created exclusively, open to its owner only.
#pragma once

#include <string>

// Makes a new folder named prefix + digits inside `parent` (UTF-8), mode 0700 where the system has
// modes. Sets `path` (ending with a separator) and returns true, or returns false with the reason.
bool MakePrivateFolder(const std::string &parent, const std::string &prefix, std::string &path, std::string &error);

// A private folder removed with its contents when the object goes, or when the process is interrupted.
class CPrivateFolder
{
  public:
    CPrivateFolder() = default;
    ~CPrivateFolder();
    CPrivateFolder(const CPrivateFolder &) = delete;
    CPrivateFolder &operator=(const CPrivateFolder &) = delete;

    // Makes the folder inside `parent`; false with the reason when it cannot.
    bool Create(const std::string &parent, const std::string &prefix, std::string &error);
    // UTF-8, ending with a separator; empty before Create.
    const std::string &Path() const
    {
        return m_strPath;
    }

  private:
    std::string m_strPath;
};
