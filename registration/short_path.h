/* The short (8.3) form of a path, through the system. */
#ifndef TOVRA_SHORT_PATH_H
#define TOVRA_SHORT_PATH_H

/* Puts the short form of an existing path into a buffer of kPathBytes; 0 when the system
   gives none that fits. A volume without short names answers with the long path, blanks
   and all. */
int ShortPathOf(const char *path, char *shortPath);

#endif
