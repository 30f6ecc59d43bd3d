#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

namespace korvex {

// Refuses a second running program: a lock file "mrqxKORV.lock" in the
// runtime folder ($XDG_RUNTIME_DIR, else the temp folder), held for the
// life of the process. A lock left by a crashed run is taken over.
class SingleInstance {
public:
    static QString lockPath();
    bool acquire();

private:
    std::unique_ptr<QLockFile> m_lock;
};

}  // namespace korvex
