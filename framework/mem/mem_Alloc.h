// The framework's memory calls: thin, checked wrappers over the C allocator.
#pragma once

#include <cstddef>

void* mem_Malloc(std::size_t size);
void* mem_Realloc(void* block, std::size_t size);
void mem_Free(void* block);

void mem_initialize(int& count);
void mem_finalize(int& count);
