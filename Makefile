# Two commands for a fresh machine: `make run` and `make test`. `make` alone builds both
# executables. PRODUCT_DATA=dir packs the product files of dir instead of the sample set.
PRODUCT_DATA ?=
JOBS ?= $(shell nproc)
BUILD ?= $(CURDIR)/build
CMAKE_WIN := -DTOVRA_PAYLOAD_DIR=$(BUILD)/payload -DTOVRA_HOST_TOOLS=$(BUILD)/host -DCMAKE_BUILD_TYPE=Release
# What the installed-apps list shows of the product; the build's sample values when unset.
CMAKE_WIN += $(if $(PRODUCT_VERSION),-DTOVRA_PRODUCT_VERSION="$(PRODUCT_VERSION)")
CMAKE_WIN += $(if $(PUBLISHER),-DTOVRA_PUBLISHER="$(PUBLISHER)")
# The sample set's uninstaller is built here; product data brings its own.
CMAKE_WIN += -DTOVRA_OWN_UNINSTALLER=$(if $(PRODUCT_DATA),OFF,ON)

.PHONY: all host win32 win64 deps run test test64 bench demo sign clean

all: win32 win64

host:
	cmake -S tools -B $(BUILD)/host -DPRODUCT_DATA="$(PRODUCT_DATA)" -DTOVRA_PAYLOAD_DIR=$(BUILD)/payload
	cmake --build $(BUILD)/host -j $(JOBS)

win32: host
	cmake -S . -B $(BUILD)/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32.cmake $(CMAKE_WIN) -DTOVRA_TESTS=ON
	cmake --build $(BUILD)/win32 -j $(JOBS)

win64: host
	cmake -S . -B $(BUILD)/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/x86_64-w64-mingw32.cmake $(CMAKE_WIN) -DTOVRA_TESTS=ON
	cmake --build $(BUILD)/win64 -j $(JOBS)

deps:
	tools/install-deps

run: deps
	$(MAKE) all
	BUILD=$(BUILD) tools/run-wizard

# The whole suite: first the 64-bit twin and every test under Wine with the static checks
# of the 32-bit product, then the 32-bit stage: the real 32-bit product and the 32-bit
# build of every test in an emulated i386 PC (needs root). Both run even when the first
# fails, so one run shows every failure.
test: deps
	$(MAKE) all
	status=0; \
	BUILD=$(BUILD) tools/run-tests || status=1; \
	BUILD=$(BUILD) tools/i386-run || status=1; \
	exit $$status

# The 64-bit suite alone, for daily work: minutes instead of a quarter of an hour.
test64: deps
	$(MAKE) all
	BUILD=$(BUILD) tools/run-tests

# The install run against the bare work of inflating and writing its payload.
bench: deps
	$(MAKE) win64
	BUILD=$(BUILD) tools/run-bench

# The wizard walked end to end on Xvfb, with a picture of every page and message in
# build/screenshots/.
demo: deps
	$(MAKE) win64
	BUILD=$(BUILD) tools/run-demo

# A signed copy of the 32-bit product in build/signed/, for release: SIGN_CERT=chain
# SIGN_KEY=key, or SIGN_PKCS12=file, with SIGN_PASS and SIGN_TIMESTAMP=URL when wanted
# (see tools/sign-product). The unsigned build/win32/TovraSetup.exe stays as built.
export SIGN_CERT SIGN_KEY SIGN_PKCS12 SIGN_PASS SIGN_TIMESTAMP
sign: deps
	$(MAKE) win32
	tools/sign-product $(BUILD)/win32/TovraSetup.exe $(BUILD)/signed/TovraSetup.exe

clean:
	rm -rf $(BUILD)
