// The binary interface of the security library "advapi32.dll": Windows types with their genuine
// layouts and sizes, the constants the callers pass, and the exported functions. Stands in for the
// security part of advapi32 (tokens, privileges, SIDs, ACLs, security descriptors, file security).
//
// Code that uses the library binds the exports by name (dynamic_library) and takes their types from
// the declarations below; nothing links against them directly.
//
// Pointers inside an absolute SECURITY_DESCRIPTOR: the descriptor keeps its 20-byte 32-bit layout on
// every build. Its Owner, Group, Sacl and Dacl fields hold 32-bit handles that the library maps to the
// pointers it was given (0 is a null pointer); only the library's own functions read them. The
// self-relative form holds byte offsets, as everywhere.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform::advapi {

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using BOOL = std::int32_t;
using WCHAR = char16_t;
using HANDLE = void*;
using PSID = void*;
using ACCESS_MASK = DWORD;
using SECURITY_INFORMATION = DWORD;
using SECURITY_DESCRIPTOR_CONTROL = WORD;
using PSECURITY_DESCRIPTOR = void*;

struct SID_IDENTIFIER_AUTHORITY {
    BYTE Value[6];
};

struct SID {
    BYTE Revision;
    BYTE SubAuthorityCount;
    SID_IDENTIFIER_AUTHORITY IdentifierAuthority;
    DWORD SubAuthority[1];
};

struct ACL {
    BYTE AclRevision;
    BYTE Sbz1;
    WORD AclSize;
    WORD AceCount;
    WORD Sbz2;
};

struct ACE_HEADER {
    BYTE AceType;
    BYTE AceFlags;
    WORD AceSize;
};

struct ACCESS_ALLOWED_ACE {
    ACE_HEADER Header;
    ACCESS_MASK Mask;
    DWORD SidStart;
};

// Absolute form: the four fields are pointer handles; self-relative form (SE_SELF_RELATIVE in
// Control): they are offsets from the descriptor's first byte.
struct SECURITY_DESCRIPTOR {
    BYTE Revision;
    BYTE Sbz1;
    SECURITY_DESCRIPTOR_CONTROL Control;
    DWORD Owner;
    DWORD Group;
    DWORD Sacl;
    DWORD Dacl;
};

struct LUID {
    DWORD LowPart;
    LONG HighPart;
};

struct LUID_AND_ATTRIBUTES {
    LUID Luid;
    DWORD Attributes;
};

struct TOKEN_PRIVILEGES {
    DWORD PrivilegeCount;
    LUID_AND_ATTRIBUTES Privileges[1];
};

struct PRIVILEGE_SET {
    DWORD PrivilegeCount;
    DWORD Control;
    LUID_AND_ATTRIBUTES Privilege[1];
};

struct GENERIC_MAPPING {
    ACCESS_MASK GenericRead;
    ACCESS_MASK GenericWrite;
    ACCESS_MASK GenericExecute;
    ACCESS_MASK GenericAll;
};

struct ACL_REVISION_INFORMATION {
    DWORD AclRevision;
};

struct ACL_SIZE_INFORMATION {
    DWORD AceCount;
    DWORD AclBytesInUse;
    DWORD AclBytesFree;
};

enum ACL_INFORMATION_CLASS : std::int32_t { AclRevisionInformation = 1, AclSizeInformation = 2 };

enum SECURITY_IMPERSONATION_LEVEL : std::int32_t {
    SecurityAnonymous = 0,
    SecurityIdentification = 1,
    SecurityImpersonation = 2,
    SecurityDelegation = 3,
};

static_assert(sizeof(SID) == 12 && offsetof(SID, SubAuthority) == 8);
static_assert(sizeof(ACL) == 8);
static_assert(sizeof(ACE_HEADER) == 4 && offsetof(ACCESS_ALLOWED_ACE, SidStart) == 8);
static_assert(sizeof(SECURITY_DESCRIPTOR) == 20);
static_assert(sizeof(LUID) == 8 && sizeof(LUID_AND_ATTRIBUTES) == 12);
static_assert(sizeof(TOKEN_PRIVILEGES) == 16 && sizeof(PRIVILEGE_SET) == 20);
static_assert(sizeof(ACL_SIZE_INFORMATION) == 12);

// Windows error codes the library sets as its last error.
inline constexpr DWORD ERROR_SUCCESS = 0;
inline constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
inline constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
inline constexpr DWORD ERROR_ACCESS_DENIED = 5;
inline constexpr DWORD ERROR_INVALID_HANDLE = 6;
inline constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr DWORD ERROR_WRITE_PROTECT = 19;
inline constexpr DWORD ERROR_GEN_FAILURE = 31;
inline constexpr DWORD ERROR_NOT_SUPPORTED = 50;
inline constexpr DWORD ERROR_INVALID_PARAMETER = 87;
inline constexpr DWORD ERROR_DISK_FULL = 112;
inline constexpr DWORD ERROR_CALL_NOT_IMPLEMENTED = 120;
inline constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr DWORD ERROR_INVALID_NAME = 123;
inline constexpr DWORD ERROR_FILENAME_EXCED_RANGE = 206;
inline constexpr DWORD ERROR_NO_TOKEN = 1008;
inline constexpr DWORD ERROR_INVALID_FLAGS = 1004;
inline constexpr DWORD ERROR_NOT_ALL_ASSIGNED = 1300;
inline constexpr DWORD ERROR_UNKNOWN_REVISION = 1305;
inline constexpr DWORD ERROR_REVISION_MISMATCH = 1306;
inline constexpr DWORD ERROR_NO_IMPERSONATION_TOKEN = 1309;
inline constexpr DWORD ERROR_NO_SUCH_PRIVILEGE = 1313;
inline constexpr DWORD ERROR_PRIVILEGE_NOT_HELD = 1314;
inline constexpr DWORD ERROR_INVALID_ACL = 1336;
inline constexpr DWORD ERROR_INVALID_SID = 1337;
inline constexpr DWORD ERROR_INVALID_SECURITY_DESCR = 1338;
inline constexpr DWORD ERROR_BAD_IMPERSONATION_LEVEL = 1346;
inline constexpr DWORD ERROR_ALLOTTED_SPACE_EXCEEDED = 1344;
inline constexpr DWORD ERROR_GENERIC_NOT_MAPPED = 1360;
inline constexpr DWORD ERROR_CANT_ACCESS_FILE = 1920;
inline constexpr DWORD ERROR_CANT_RESOLVE_FILENAME = 1921;
inline constexpr DWORD RPC_S_SERVER_UNAVAILABLE = 1722;

// Revisions.
inline constexpr DWORD ACL_REVISION = 2;
inline constexpr DWORD ACL_REVISION_DS = 4;
inline constexpr DWORD SECURITY_DESCRIPTOR_REVISION = 1;
inline constexpr BYTE SID_REVISION = 1;
inline constexpr BYTE SID_MAX_SUB_AUTHORITIES = 15;

// ACE types and flags.
inline constexpr BYTE ACCESS_ALLOWED_ACE_TYPE = 0;
inline constexpr BYTE ACCESS_DENIED_ACE_TYPE = 1;
inline constexpr BYTE OBJECT_INHERIT_ACE = 0x01;
inline constexpr BYTE CONTAINER_INHERIT_ACE = 0x02;
inline constexpr BYTE NO_PROPAGATE_INHERIT_ACE = 0x04;
inline constexpr BYTE INHERIT_ONLY_ACE = 0x08;
inline constexpr BYTE INHERITED_ACE = 0x10;
inline constexpr BYTE VALID_INHERIT_FLAGS = 0x1F;
inline constexpr DWORD MAXDWORD = 0xFFFFFFFF;

// Security descriptor control bits.
inline constexpr WORD SE_OWNER_DEFAULTED = 0x0001;
inline constexpr WORD SE_GROUP_DEFAULTED = 0x0002;
inline constexpr WORD SE_DACL_PRESENT = 0x0004;
inline constexpr WORD SE_DACL_DEFAULTED = 0x0008;
inline constexpr WORD SE_SACL_PRESENT = 0x0010;
inline constexpr WORD SE_SACL_DEFAULTED = 0x0020;
inline constexpr WORD SE_DACL_AUTO_INHERIT_REQ = 0x0100;
inline constexpr WORD SE_SACL_AUTO_INHERIT_REQ = 0x0200;
inline constexpr WORD SE_DACL_AUTO_INHERITED = 0x0400;
inline constexpr WORD SE_SACL_AUTO_INHERITED = 0x0800;
inline constexpr WORD SE_DACL_PROTECTED = 0x1000;
inline constexpr WORD SE_SACL_PROTECTED = 0x2000;
inline constexpr WORD SE_SELF_RELATIVE = 0x8000;

// Security information parts.
inline constexpr SECURITY_INFORMATION OWNER_SECURITY_INFORMATION = 0x1;
inline constexpr SECURITY_INFORMATION GROUP_SECURITY_INFORMATION = 0x2;
inline constexpr SECURITY_INFORMATION DACL_SECURITY_INFORMATION = 0x4;
inline constexpr SECURITY_INFORMATION SACL_SECURITY_INFORMATION = 0x8;

// Access rights.
inline constexpr ACCESS_MASK DELETE = 0x00010000;
inline constexpr ACCESS_MASK READ_CONTROL = 0x00020000;
inline constexpr ACCESS_MASK WRITE_DAC = 0x00040000;
inline constexpr ACCESS_MASK WRITE_OWNER = 0x00080000;
inline constexpr ACCESS_MASK SYNCHRONIZE = 0x00100000;
inline constexpr ACCESS_MASK ACCESS_SYSTEM_SECURITY = 0x01000000;
inline constexpr ACCESS_MASK MAXIMUM_ALLOWED = 0x02000000;
inline constexpr ACCESS_MASK GENERIC_ALL = 0x10000000;
inline constexpr ACCESS_MASK GENERIC_EXECUTE = 0x20000000;
inline constexpr ACCESS_MASK GENERIC_WRITE = 0x40000000;
inline constexpr ACCESS_MASK GENERIC_READ = 0x80000000;
inline constexpr ACCESS_MASK FILE_READ_DATA = 0x0001;
inline constexpr ACCESS_MASK FILE_WRITE_DATA = 0x0002;
inline constexpr ACCESS_MASK FILE_APPEND_DATA = 0x0004;
inline constexpr ACCESS_MASK FILE_EXECUTE = 0x0020;
inline constexpr ACCESS_MASK FILE_ALL_ACCESS = 0x001F01FF;

// Token access rights and privilege attributes.
inline constexpr ACCESS_MASK TOKEN_DUPLICATE = 0x0002;
inline constexpr ACCESS_MASK TOKEN_IMPERSONATE = 0x0004;
inline constexpr ACCESS_MASK TOKEN_QUERY = 0x0008;
inline constexpr ACCESS_MASK TOKEN_ADJUST_PRIVILEGES = 0x0020;
inline constexpr ACCESS_MASK TOKEN_ALL_ACCESS = 0x000F01FF;
inline constexpr DWORD SE_PRIVILEGE_ENABLED_BY_DEFAULT = 0x00000001;
inline constexpr DWORD SE_PRIVILEGE_ENABLED = 0x00000002;
inline constexpr DWORD SE_PRIVILEGE_REMOVED = 0x00000004;
inline constexpr DWORD SE_PRIVILEGE_USED_FOR_ACCESS = 0x80000000;
inline constexpr DWORD PRIVILEGE_SET_ALL_NECESSARY = 1;

// Identifier authorities and the sub-authorities of the well-known groups.
inline constexpr SID_IDENTIFIER_AUTHORITY SECURITY_WORLD_SID_AUTHORITY = {{0, 0, 0, 0, 0, 1}};
inline constexpr SID_IDENTIFIER_AUTHORITY SECURITY_NT_AUTHORITY = {{0, 0, 0, 0, 0, 5}};
// Accounts of this system: S-1-22-1-uid for a user, S-1-22-2-gid for a group.
inline constexpr SID_IDENTIFIER_AUTHORITY UNIX_SID_AUTHORITY = {{0, 0, 0, 0, 0, 22}};
inline constexpr DWORD SECURITY_WORLD_RID = 0;
inline constexpr DWORD SECURITY_AUTHENTICATED_USER_RID = 11;
inline constexpr DWORD SECURITY_BUILTIN_DOMAIN_RID = 32;
inline constexpr DWORD DOMAIN_ALIAS_RID_ADMINS = 544;
inline constexpr DWORD DOMAIN_ALIAS_RID_USERS = 545;
inline constexpr DWORD UNIX_USER_RID = 1;
inline constexpr DWORD UNIX_GROUP_RID = 2;

// The pseudo handles of the current process and thread, as GetCurrentProcess and GetCurrentThread
// give them.
inline HANDLE current_process_handle() {
    return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));
}
inline HANDLE current_thread_handle() {
    return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-2));
}

// The extended attribute that holds a file's security descriptor (self-relative, DACL only).
inline constexpr const char* file_security_attribute = "user.vn.dacl";

// The exports. Every function that returns BOOL sets the thread's last error on failure; read it
// with GetLastError of this library.
extern "C" {
DWORD GetLastError();
void SetLastError(DWORD code);
HANDLE GetCurrentProcess();
HANDLE GetCurrentThread();
BOOL CloseHandle(HANDLE object);

BOOL OpenProcessToken(HANDLE process, DWORD desired_access, HANDLE* token);
BOOL OpenThreadToken(HANDLE thread, DWORD desired_access, BOOL open_as_self, HANDLE* token);
BOOL AdjustTokenPrivileges(HANDLE token, BOOL disable_all, TOKEN_PRIVILEGES* new_state, DWORD buffer_length,
                           TOKEN_PRIVILEGES* previous_state, DWORD* return_length);
BOOL LookupPrivilegeValueW(const WCHAR* system_name, const WCHAR* name, LUID* luid);
BOOL PrivilegeCheck(HANDLE token, PRIVILEGE_SET* required, BOOL* result);
BOOL ImpersonateSelf(SECURITY_IMPERSONATION_LEVEL level);
BOOL RevertToSelf();
BOOL CheckTokenMembership(HANDLE token, PSID sid, BOOL* is_member);

BOOL AllocateAndInitializeSid(const SID_IDENTIFIER_AUTHORITY* authority, BYTE count, DWORD sub0, DWORD sub1, DWORD sub2,
                              DWORD sub3, DWORD sub4, DWORD sub5, DWORD sub6, DWORD sub7, PSID* sid);
void* FreeSid(PSID sid);
DWORD GetLengthSid(PSID sid);
BOOL IsValidSid(PSID sid);
BOOL EqualSid(PSID sid1, PSID sid2);

BOOL InitializeAcl(ACL* acl, DWORD length, DWORD revision);
BOOL GetAclInformation(ACL* acl, void* information, DWORD length, ACL_INFORMATION_CLASS information_class);
BOOL GetAce(ACL* acl, DWORD index, void** ace);
BOOL AddAce(ACL* acl, DWORD revision, DWORD start_index, void* ace_list, DWORD ace_list_length);
BOOL AddAccessAllowedAce(ACL* acl, DWORD revision, DWORD mask, PSID sid);
BOOL AddAccessAllowedAceEx(ACL* acl, DWORD revision, DWORD flags, DWORD mask, PSID sid);

BOOL InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor, DWORD revision);
BOOL IsValidSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor);
BOOL GetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, BOOL* present, ACL** dacl, BOOL* defaulted);
BOOL SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, BOOL present, ACL* dacl, BOOL defaulted);
BOOL SetSecurityDescriptorGroup(PSECURITY_DESCRIPTOR descriptor, PSID group, BOOL defaulted);
BOOL SetSecurityDescriptorOwner(PSECURITY_DESCRIPTOR descriptor, PSID owner, BOOL defaulted);
BOOL GetSecurityDescriptorControl(PSECURITY_DESCRIPTOR descriptor, SECURITY_DESCRIPTOR_CONTROL* control,
                                  DWORD* revision);
BOOL SetSecurityDescriptorControl(PSECURITY_DESCRIPTOR descriptor, SECURITY_DESCRIPTOR_CONTROL bits_of_interest,
                                  SECURITY_DESCRIPTOR_CONTROL bits_to_set);

BOOL GetFileSecurityW(const WCHAR* file, SECURITY_INFORMATION requested, PSECURITY_DESCRIPTOR descriptor, DWORD length,
                      DWORD* length_needed);
BOOL SetFileSecurityW(const WCHAR* file, SECURITY_INFORMATION information, PSECURITY_DESCRIPTOR descriptor);
BOOL AccessCheck(PSECURITY_DESCRIPTOR descriptor, HANDLE token, DWORD desired_access, GENERIC_MAPPING* mapping,
                 PRIVILEGE_SET* privilege_set, DWORD* privilege_set_length, DWORD* granted_access, BOOL* access_status);
}

}  // namespace platform::advapi
