#pragma once
#include "Meta/TypeInfo.h"

class TextWriter;
class TextReader;

// Sets the writer and reader hooks of int, unsigned, char, float, double, bool and
// std::string. Each value is its type name, a blank and the value on the rest of the line.
void InstallScalarHooks();

// The scalar forms, for callers that write or read one value directly.
void WriteInt(TextWriter& out, const void* value, const TypeInfo* info);
void ReadInt(TextReader& in, void* value, const TypeInfo* info);
void WriteUnsigned(TextWriter& out, const void* value, const TypeInfo* info);
void ReadUnsigned(TextReader& in, void* value, const TypeInfo* info);
void WriteChar(TextWriter& out, const void* value, const TypeInfo* info);
void ReadChar(TextReader& in, void* value, const TypeInfo* info);
void WriteFloat(TextWriter& out, const void* value, const TypeInfo* info);
void ReadFloat(TextReader& in, void* value, const TypeInfo* info);
void WriteDouble(TextWriter& out, const void* value, const TypeInfo* info);
void ReadDouble(TextReader& in, void* value, const TypeInfo* info);
void WriteBool(TextWriter& out, const void* value, const TypeInfo* info);
void ReadBool(TextReader& in, void* value, const TypeInfo* info);
void WriteString(TextWriter& out, const void* value, const TypeInfo* info);
void ReadString(TextReader& in, void* value, const TypeInfo* info);
