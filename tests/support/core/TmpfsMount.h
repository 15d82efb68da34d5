#pragma once
// A small tmpfs mounted on a folder for the lifetime of the object (root only),
// for tests of a full or read-only disk.
#include <QByteArray>
#include <QFile>
#include <QString>

#include <sys/mount.h>

namespace jadl::test {

class TmpfsMount {
public:
    TmpfsMount(const QString& dir, const char* size) : dir_(QFile::encodeName(dir))
    {
        const QByteArray options = QByteArrayLiteral("size=") + size;
        mounted_ = ::mount("tmpfs", dir_.constData(), "tmpfs", MS_NOSUID | MS_NODEV, options.constData()) == 0;
    }
    ~TmpfsMount()
    {
        if (mounted_)
            ::umount2(dir_.constData(), MNT_DETACH);
    }
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;
    bool mounted() const { return mounted_; }
    bool makeReadOnly()
    {
        return ::mount(nullptr, dir_.constData(), nullptr, MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, nullptr) == 0;
    }

private:
    QByteArray dir_;
    bool mounted_ = false;
};

} // namespace jadl::test
