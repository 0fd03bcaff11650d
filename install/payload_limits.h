/* Facts about the payload set that the program and the host-side packer share.
   Plain C: the packer is a host program and sees no Windows header. */
#ifndef TOVRA_PAYLOAD_LIMITS_H
#define TOVRA_PAYLOAD_LIMITS_H

#define TOVRA_ATLAS_CAPACITY          307200UL
#define TOVRA_ATLAS_BYTES             241664UL   /* the atlas inflates to exactly this */
#define TOVRA_AGREEMENT_CAPACITY      65536UL    /* one byte of it is kept for the terminator */
#define TOVRA_SPEECH_PACKAGE_CAPACITY 12582912UL
#define TOVRA_SCRATCH_BYTES           50331648UL /* every manifest file: the install run inflates
                                                    a file piece by piece, the suite whole */

/* The payload index: for every payload a record of three 32-bit little-endian words, its
   identifier, the crc32 of its stream and its inflated size. */
#define TOVRA_PAYLOAD_RECORD_BYTES    12
#define TOVRA_PAYLOAD_INDEX_CAPACITY  3072       /* room for 256 records */

/* The speech-module installer package: no manifest row, only the wizard extracts it. */
#define TOVRA_SPEECH_PACKAGE_FILE     "Sapi51forTovra.msi"

#endif
