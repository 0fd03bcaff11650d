/* Paths walked by character, for the install folder and every path joined to it. */
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "foundation/path_text.h"
#include "foundation/string_walk.h"

static TextWalk PathWalk(const char *text, int codePage)
{
    TextWalk walk = {text, int(strlen(text)), 0, IsDoubleByteCodePage(codePage) ? codePage : 0};
    return walk;
}

static int IsSeparator(const TextWalk &walk, int p)
{
    return StepAt(walk, p) == 1 && (walk.text[p] == '\\' || walk.text[p] == '/');
}

/* Offset of the separator that ends the component starting at p, or the length; the
   offset of the component's last character in *last (p when it is empty). */
static int ComponentEnd(const TextWalk &walk, int p, int *last)
{
    *last = p;
    while (p < walk.length && !IsSeparator(walk, p)) {
        *last = p;
        p += StepAt(walk, p);
    }
    return p;
}

int SystemPathCodePage(void)
{
    int codePage = int(GetACP());
    return IsDoubleByteCodePage(codePage) ? codePage : 0;
}

int FindLastBackslash(const char *text, int codePage)
{
    TextWalk walk = PathWalk(text, codePage);
    int found = -1;
    for (int p = 0; p < walk.length; p += StepAt(walk, p))
        if (StepAt(walk, p) == 1 && text[p] == '\\')
            found = p;
    return found;
}

int EndsInBackslash(const char *text, int codePage)
{
    int last = FindLastBackslash(text, codePage);
    return last >= 0 && text[last + 1] == '\0';
}

void RemoveLastBackslash(char *text, int codePage)
{
    if (EndsInBackslash(text, codePage))
        text[strlen(text) - 1] = '\0';
}

int JoinPathText(char *path, int capacity, const char *folder, const char *name, int codePage)
{
    const char *separator = EndsInBackslash(folder, codePage) ? "" : "\\";
    int written = snprintf(path, size_t(capacity), "%s%s%s", folder, separator, name);
    if (written < 0 || written >= capacity) {
        path[0] = '\0';
        return 0;
    }
    return 1;
}

int JoinPath(char *path, const char *folder, const char *name)
{
    return JoinPathText(path, MAX_PATH, folder, name, SystemPathCodePage());
}

static int IsDriveLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

/* \\server\share: a server name that is not the "?" or "." of a device path, and a share. */
static int IsServerShare(const TextWalk &walk)
{
    if (walk.length < 2 || !IsSeparator(walk, 0) || !IsSeparator(walk, 1))
        return 0;
    int last;
    int serverEnd = ComponentEnd(walk, 2, &last);
    int serverBytes = serverEnd - 2;
    if (serverBytes == 0 || serverEnd >= walk.length)
        return 0;
    if (serverBytes == 1 && (walk.text[2] == '?' || walk.text[2] == '.'))
        return 0;
    return ComponentEnd(walk, serverEnd + 1, &last) > serverEnd + 1;
}

int IsFullPath(const char *text, int codePage)
{
    TextWalk walk = PathWalk(text, codePage);
    if (walk.length >= 3 && IsDriveLetter(text[0]) && text[1] == ':' && IsSeparator(walk, 2))
        return 1;
    return IsServerShare(walk);
}

static int IsDotComponent(const char *start, int bytes)
{
    return (bytes == 1 && start[0] == '.') || (bytes == 2 && start[0] == '.' && start[1] == '.');
}

int HasComponentEndingInBlankOrDot(const char *text, int codePage)
{
    TextWalk walk = PathWalk(text, codePage);
    int p = 0;
    while (p <= walk.length) {
        int last;
        int end = ComponentEnd(walk, p, &last);
        if (end > p && !IsDotComponent(text + p, end - p) && StepAt(walk, last) == 1 &&
            (text[last] == ' ' || text[last] == '.'))
            return 1;
        p = end + 1;
    }
    return 0;
}

int TailOffset(const char *text, int bytes, int codePage)
{
    TextWalk walk = PathWalk(text, codePage);
    int p = 0;
    while (p < walk.length && walk.length - p > bytes)
        p += StepAt(walk, p);
    return p;
}
