#include "SharedLibrary.h"

#include <dlfcn.h>

struct SharedLibrary::Handle {
    void* library = nullptr;
    ~Handle()
    {
        if (library)
            dlclose(library);
    }
};

SharedLibrary::SharedLibrary() : handle_(std::make_unique<Handle>()) {}

SharedLibrary::~SharedLibrary() = default;

bool SharedLibrary::open(const QString& fileName)
{
    if (handle_->library)
        return true;
    // Never unloaded: a library it brings (Qt's network module) may leave
    // links in Qt Core that are followed when the application ends.
    handle_->library = dlopen(fileName.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!handle_->library)
        error_ = QString::fromLocal8Bit(dlerror());
    return handle_->library != nullptr;
}

bool SharedLibrary::isOpen() const
{
    return handle_->library != nullptr;
}

void* SharedLibrary::symbol(const char* name) const
{
    if (!handle_->library)
        return nullptr;
    dlerror();
    void* address = dlsym(handle_->library, name);
    if (!address)
        error_ = QString::fromLocal8Bit(dlerror());
    return address;
}

QString SharedLibrary::errorString() const
{
    return error_;
}
