#pragma once
// memoblob: one memo of the current work area as a byte stream, for the dataset's blob streams.
// A stream opens an existing memo for reading, or starts a new memo at the end of the memo file for
// writing (holding the memo file's write lock until it is destroyed, when the memo's block header
// is completed). Text can be converted between the table's DOS code page and the Windows code page
// on the way: whether a stream converts is decided once, on its first piece, and holds for all of it.
// One stream per work area (TMemoControlBlock::Blob); opening another one ends the first.
// May call: memo, workAreas, tableFile, engineState.

#include <cstdint>

namespace qorva {

constexpr int32_t BlobPieceSize = 32767;

// Opens a stream on memo ref of the current area: mode 1 reads it, mode 2 starts a new memo (ref
// is then only remembered). convert: the table's text is in the DOS code page. Returns the memo's
// reference (for writing: the new one, negated in a dBase III file); 0 on failure or for ref 0.
int32_t CreateBlobDescriptor(bool convert, int32_t ref, uint8_t mode);
int32_t ReadBlobStream(void* buffer, int32_t count);         // -> bytes delivered
int32_t WriteBlobStream(const void* buffer, int32_t count);  // -> bytes taken
// origin 0 from the start, 1 from the current position, 2 from the end -> the new position.
int32_t SeekBlobStream(int32_t offset, uint16_t origin);
// Ends the stream: a written memo gets its header and the write lock goes.
void DestroyBlobDescriptor();
// Every byte is 32 or above, or one of 9, 10, 13, 15, 20 and 21.
bool IsTextData(const uint8_t* buffer, int32_t count);

}  // namespace qorva
