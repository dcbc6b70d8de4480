#include "fs/PseudoFileSystems.h"

namespace vs
{
namespace
{

struct Pseudo {
    unsigned long magic;
    const char *name;
};

constexpr Pseudo kPseudo[] = {
    {0x9fa0, "proc"},         {0x62656572, "sysfs"},      {0x27e0eb, "cgroup"},
    {0x63677270, "cgroup2"},  {0x1cd1, "devpts"},         {0x64626720, "debugfs"},
    {0x74726163, "tracefs"},  {0x73636673, "securityfs"}, {0x6165676c, "pstore"},
    {0xcafe4a11, "bpf"},      {0x62656570, "configfs"},   {0x65735543, "fusectl"},
    {0x19800202, "mqueue"},   {0x958458f6, "hugetlbfs"},  {0x42494e4d, "binfmt_misc"},
    {0xde5e81e4, "efivarfs"}, {0xf97cff8c, "selinuxfs"},  {0x43415d53, "smackfs"},
    {0x6e736673, "nsfs"},     {0x67596969, "rpc_pipefs"}, {0x6e667364, "nfsd"},
};

} // namespace

bool IsPseudoFileSystem(long fsType)
{
    const unsigned long magic = static_cast<unsigned long>(fsType) & 0xffffffffUL;
    for (const Pseudo &p : kPseudo)
        if (p.magic == magic)
            return true;
    return false;
}

bool IsPseudoFileSystemType(const QByteArray &fsType)
{
    for (const Pseudo &p : kPseudo)
        if (fsType == p.name)
            return true;
    return false;
}

} // namespace vs
