/* String formatting. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "foundation/counted_string_internal.h"
#include "foundation/string_format.h"

enum {
    kConversionBytes = 64,       /* the conversion text, its percent sign and terminator */
    kLongestConversion = 61,     /* characters between the percent sign and the letter */
    kLongestTextConversion = 62, /* the same before s, whose letter is not stored */
    kIntegerBytes = 84,
    kRealBytes = 256,
    kAppendIntegerBytes = 32,
    kMostDecimals = 48,
};

/* Flags, widths, precisions and size prefixes: what stands between % and the letter. */
static const char kConversionCharacters[] = "-+0 #*.123456789hlL";

enum StepResult { kStepGoOn, kStepEndsLoop, kStepFailed };

/* The runtime library's own formatter (msvcrt's, not mingw's replacement), bounded: the
   text is cut to size - 1 bytes and always terminated. A negative count is -1. */
static int FormatBounded(char *buffer, int size, const char *conversion, ...)
{
    va_list arguments;
    va_start(arguments, conversion);
    int count = _vsnprintf(buffer, size - 1, conversion, arguments);
    va_end(arguments);
    buffer[size - 1] = 0;
    return count < 0 ? -1 : count;
}

/* Literal runs and text arguments: bytes as they are, widened for a wide receiver. */
static int AppendLiteral(CountedString *s, const char *bytes, int count)
{
    if (IsWideString(s))
        return AppendWidenedBytes(s, bytes, count);
    return AppendBytes(s, bytes, count);
}

/* The conversion text handed to the runtime: without asterisks (no argument is passed
   for them) and, for 32-bit letters, without L; then the letter. */
static void BuildRuntimeConversion(char *out, const char *conversion, char letter, int dropLongDouble)
{
    for (; *conversion; ++conversion)
        if (*conversion != '*' && !(dropLongDouble && *conversion == 'L'))
            *out++ = *conversion;
    *out++ = letter;
    *out = 0;
}

static StepResult AppendFormattedText(CountedString *s, const char *text)
{
    return AppendText(s, text) ? kStepGoOn : kStepFailed;
}

static StepResult AppendTextArgument(CountedString *s, const char *conversion, const char *text)
{
    if (!text)
        return kStepGoOn;
    int length = (int)strlen(text);
    /* The cut of %.Ns; flags and width are ignored. */
    if (const char *dot = strchr(conversion, '.')) {
        long cut = strtol(dot + 1, nullptr, 10);
        if (cut >= 0 && cut < length)
            length = (int)cut;
    }
    if (length == 0)
        return kStepGoOn;
    return AppendLiteral(s, text, length) ? kStepGoOn : kStepFailed;
}

static StepResult AppendIntegerArgument(CountedString *s, const char *conversion, char letter, int value)
{
    char runtimeConversion[kConversionBytes];
    char buffer[kIntegerBytes];
    BuildRuntimeConversion(runtimeConversion, conversion, letter, 1);
    /* "ll" makes the runtime read 64 bits: give it the 32-bit value widened. */
    if (strstr(conversion, "ll")) {
        long long wide = letter == 'd' || letter == 'i' ? (long long)value : (long long)(unsigned)value;
        FormatBounded(buffer, sizeof buffer, runtimeConversion, wide);
    } else {
        FormatBounded(buffer, sizeof buffer, runtimeConversion, value);
    }
    return AppendFormattedText(s, buffer);
}

/* One conversion, the position just past its percent sign. Moves the position past
   every character read. */
static StepResult ConvertOne(CountedString *s, const char **position, va_list *arguments)
{
    const char *p = *position;
    char conversion[kConversionBytes];
    int run = 0;
    conversion[0] = '%';
    while (*p && strchr(kConversionCharacters, *p)) {
        if (run < kLongestTextConversion)
            conversion[1 + run] = *p;
        ++run;
        ++p;
    }
    conversion[1 + (run < kLongestTextConversion ? run : kLongestTextConversion)] = 0;
    char letter = *p;
    if (!letter) {
        *position = p;  /* a half-written conversion at the end produces nothing */
        return kStepEndsLoop;
    }
    *position = p + 1;

    switch (letter) {
    case 's': {
        const char *text = va_arg(*arguments, const char *);
        return run > kLongestTextConversion ? kStepGoOn : AppendTextArgument(s, conversion, text);
    }
    case '!': {
        const CountedString *other = va_arg(*arguments, const CountedString *);
        if (!other)
            return kStepGoOn;
        return AppendString(s, other) ? kStepGoOn : kStepFailed;
    }
    case 'p': {
        void *pointer = va_arg(*arguments, void *);
        if (run > kLongestConversion)
            return kStepGoOn;
        char runtimeConversion[kConversionBytes];
        char buffer[kIntegerBytes];
        BuildRuntimeConversion(runtimeConversion, conversion, letter, 1);
        FormatBounded(buffer, sizeof buffer, runtimeConversion, pointer);
        return AppendFormattedText(s, buffer);
    }
    case 'c': case 'C': case 'd': case 'i': case 'o': case 'u': case 'x': case 'X': {
        int value = va_arg(*arguments, int);
        return run > kLongestConversion ? kStepGoOn : AppendIntegerArgument(s, conversion, letter, value);
    }
    case 'e': case 'E': case 'f': case 'g': case 'G': {
        double value = va_arg(*arguments, double);
        if (run > kLongestConversion)
            return kStepGoOn;
        char runtimeConversion[kConversionBytes];
        char buffer[kRealBytes];
        BuildRuntimeConversion(runtimeConversion, conversion, letter, 0);
        FormatBounded(buffer, sizeof buffer, runtimeConversion, value);
        return AppendFormattedText(s, buffer);
    }
    case 'n':
    case 'S':
        return kStepEndsLoop;
    default:
        return AppendCharacter(s, letter) ? kStepGoOn : kStepFailed;
    }
}

static int RunFormatLoop(CountedString *s, const char *format, va_list *arguments)
{
    const char *p = format ? format : "";
    for (;;) {
        const char *percent = strchr(p, '%');
        if (!percent)
            break;
        if (percent > p && !AppendLiteral(s, p, (int)(percent - p)))
            return 0;
        p = percent + 1;
        StepResult result = ConvertOne(s, &p, arguments);
        if (result == kStepFailed)
            return 0;
        if (result == kStepEndsLoop)
            break;
    }
    /* What is left is plain text; a percent sign in it is not looked at. */
    return AppendText(s, p);
}

int FormatString(CountedString *s, const char *format, ...)
{
    ClearString(s);
    va_list arguments;
    va_start(arguments, format);
    int done = RunFormatLoop(s, format, &arguments);
    va_end(arguments);
    if (!done)
        ResetString(s);
    return done;
}

int AppendFormatList(CountedString *s, const char *format, va_list arguments)
{
    int length = StringLength(s);
    int wide = IsWideString(s);
    int attribute = StringAttributeByte(s);
    va_list copy;
    va_copy(copy, arguments);
    int done = RunFormatLoop(s, format, &copy);
    va_end(copy);
    if (done)
        return 1;
    /* Whatever was appended went into a buffer of the receiver's own: cut it off, and
       give back the attribute byte a widened append cleared. */
    if (IsWideString(s) != wide) {
        ResetString(s);
    } else if (StringLength(s) != length) {
        StringHeader *header = HeaderOf(s);
        header->length = length;
        header->attribute = (unsigned char)attribute;
        TerminateText(header);
    }
    return 0;
}

int AppendFormat(CountedString *s, const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    int done = AppendFormatList(s, format, arguments);
    va_end(arguments);
    return done;
}

int AppendInteger(CountedString *s, int value)
{
    char buffer[kAppendIntegerBytes];
    FormatBounded(buffer, sizeof buffer, "%d", value);
    return AppendText(s, buffer);
}

int AppendReal(CountedString *s, double value, int decimals)
{
    unsigned places = (unsigned)decimals;
    if (places > kMostDecimals)
        places = kMostDecimals;
    char conversion[16];
    char buffer[kRealBytes];
    FormatBounded(conversion, sizeof conversion, "%%.%uf", places);
    FormatBounded(buffer, sizeof buffer, conversion, value);
    return AppendText(s, buffer);
}
