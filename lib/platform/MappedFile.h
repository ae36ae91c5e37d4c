// POSIX file mapping under the dictionary store (being written).
#pragma once
namespace platform { class MappedFile {}; }
