#ifndef SHOW_SCENECHECK_H
#define SHOW_SCENECHECK_H

#include <stddef.h>

// lib3ds trusts the files it reads: it loops forever, recurses without end or
// writes out of bounds on some malformed ones. This walks a .3ds file's chunk
// structure first and answers 1 when it is safe to hand to the library, else 0
// with a short reason in why (why may be null).
int Check3dsFile(const char *path, char *why, size_t whySize);
int Check3dsBuffer(const unsigned char *bytes, size_t size, char *why, size_t whySize);

#endif
