#pragma once

#include <QString>

#include <memory>

// A shared library opened by name, and its functions looked up by name.
// One implementation file per platform.
class SharedLibrary {
public:
    SharedLibrary();
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    bool open(const QString& fileName);
    bool isOpen() const;
    void* symbol(const char* name) const;
    // Why the last open or look-up failed, as the platform says it.
    QString errorString() const;

private:
    struct Handle;
    std::unique_ptr<Handle> handle_;
    mutable QString error_;
};
