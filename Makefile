# make run   builds the DLL and the bwcall runner and runs the runner's demo
# make test  builds and passes every test, native and under Wine
# make check the edit-and-test loop: the core tests, the layout and the 32-bit DLL's main suite
# make dll   builds build/win32/Brindlewick.dll, build/win64/Brindlewick.dll and build/arm64/Brindlewick.dll
# make package builds the three ZIP kits, Brindlewick-<version>-win32.zip, -win64.zip and -arm64.zip, and
#            SHA256SUMS (build/package); SIGN_CERT=cert.pem SIGN_KEY=key.pem signs every DLL and EXE in them
#            (SIGN_TIMESTAMP_URL adds an RFC 3161 stamp)
# make fuzz   runs every fuzzer for FUZZ_SECONDS each (make test gives each 10 s)
# make reliability runs the fault, leak, hostile-input and thread suites of both DLLs and prints their figures
# make bench  times both DLLs' services against their peers, rewrites docs/PERFORMANCE.md
BUILD    := build
WIN      := $(BUILD)/win32
WIN64    := $(BUILD)/win64
ARM64    := $(BUILD)/arm64
NATIVE   := $(BUILD)/native
JOBS     ?= $(shell nproc)
ARGS     ?= --demo
FUZZ_SECONDS ?= 180

export WINEPREFIX := $(abspath $(BUILD)/wineprefix)
export WINEDEBUG  := -all

.PHONY: all setup dll native runner run check test test-native test-win fuzz reliability prefix package bench clean

all: dll

setup:
	@./setup.sh

$(WIN)/CMakeCache.txt: | setup
	cmake -S . -B $(WIN) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release

$(WIN64)/CMakeCache.txt: | setup
	cmake -S . -B $(WIN64) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release

$(ARM64)/CMakeCache.txt: | setup
	cmake -S . -B $(ARM64) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-aarch64.cmake -DCMAKE_BUILD_TYPE=Release

$(NATIVE)/CMakeCache.txt: | setup
	CC=clang CXX=clang++ cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug

dll: $(WIN)/CMakeCache.txt $(WIN64)/CMakeCache.txt $(ARM64)/CMakeCache.txt
	cmake --build $(WIN) -j $(JOBS)
	cmake --build $(WIN64) -j $(JOBS)
	cmake --build $(ARM64) -j $(JOBS)

native: $(NATIVE)/CMakeCache.txt
	cmake --build $(NATIVE) -j $(JOBS)

# The first start of a Wine prefix prints set-up messages and takes a while;
# make it once, before anything runs in it. One 64-bit prefix runs both
# DLLs' programs. A prefix made before wine64 was installed runs 32-bit
# programs only, and one made while 32-bit programs could not run has no
# 32-bit system files: either is made again.
WOW64_KERNEL32 := $(WINEPREFIX)/drive_c/windows/syswow64/kernel32.dll
prefix: | setup
	@if [ -f "$(WINEPREFIX)/system.reg" ] && { ! grep -qx '#arch=win64' "$(WINEPREFIX)/system.reg" || \
		[ ! -f "$(WOW64_KERNEL32)" ]; }; then \
		echo "$(WINEPREFIX) cannot run both kinds of program: making it again"; \
		wineserver -k 2>/dev/null; wineserver -w; rm -rf "$(WINEPREFIX)"; fi
	@if [ ! -f "$(WINEPREFIX)/system.reg" ]; then WINEARCH=win64 wineboot --init >/dev/null 2>&1; wineserver -w; fi
	@grep -qx '#arch=win64' "$(WINEPREFIX)/system.reg" 2>/dev/null && [ -f "$(WOW64_KERNEL32)" ] || \
		{ echo "could not create a Wine prefix for 32-bit and 64-bit programs in $(WINEPREFIX)"; exit 1; }

# The three kits, with SHA256SUMS beside them, in build/package. Given a
# certificate and its key, CPack signs the binaries (cmake/sign-kit.cmake).
PACKAGE  := $(abspath $(BUILD)/package)
SIGN_CERT ?=
SIGN_KEY ?=
SIGN_TIMESTAMP_URL ?=
signing = BRINDLEWICK_SIGN_CERT="$(if $(SIGN_CERT),$(abspath $(SIGN_CERT)))" \
	BRINDLEWICK_SIGN_KEY="$(if $(SIGN_KEY),$(abspath $(SIGN_KEY)))" BRINDLEWICK_SIGN_TIMESTAMP_URL="$(SIGN_TIMESTAMP_URL)"
package: dll
	rm -f $(PACKAGE)/Brindlewick-*.zip $(PACKAGE)/SHA256SUMS
	cd $(WIN) && $(signing) cpack -G ZIP -B $(PACKAGE)
	cd $(WIN64) && $(signing) cpack -G ZIP -B $(PACKAGE)
	cd $(ARM64) && $(signing) cpack -G ZIP -B $(PACKAGE)
	rm -rf $(PACKAGE)/_CPack_Packages
	cd $(PACKAGE) && sha256sum Brindlewick-*.zip > SHA256SUMS

# The DLL and the runner alone, configured when needed; the output of the
# configuration and the build shows only when they fail.
runner: | setup
	@mkdir -p $(WIN) && { [ -f $(WIN)/CMakeCache.txt ] || \
		cmake -S . -B $(WIN) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release; } \
		>$(WIN)/runner-build.log 2>&1 && \
		cmake --build $(WIN) -j $(JOBS) --target Brindlewick bwcall >>$(WIN)/runner-build.log 2>&1 || \
		{ cat $(WIN)/runner-build.log; exit 1; }

run: runner prefix
	@./bwcall $(ARGS)

test-native: native
	cd $(NATIVE) && ctest --output-on-failure --timeout 900

# The message box tests need a display: the whole run goes under xvfb-run.
# The ARM64 programs run under the arm64 Wine in qemu, in a prefix of their
# own (cmake/wine-run-arm64).
test-win: dll prefix
	cd $(WIN) && xvfb-run -a ctest --output-on-failure --timeout 900
	cd $(WIN64) && xvfb-run -a ctest --output-on-failure --timeout 900
	cd $(ARM64) && xvfb-run -a ctest --output-on-failure --timeout 900

test: test-native test-win

# Under a minute on a built tree; make test runs everything.
check: $(NATIVE)/CMakeCache.txt $(WIN)/CMakeCache.txt prefix
	cmake --build $(NATIVE) -j $(JOBS) --target core_tests
	cmake --build $(WIN) -j $(JOBS) --target win_tests
	cd $(NATIVE) && ctest -R '^(core|format|layout)$$' --output-on-failure
	cd $(WIN) && xvfb-run -a ctest -R '^win\.en_US$$' --output-on-failure

fuzz: native
	fuzz/run.sh $(NATIVE) $(FUZZ_SECONDS)

reliability: dll prefix
	for build in $(WIN) $(WIN64); do \
		(cd $$build && LC_ALL=en_US.UTF-8 TZ=America/New_York xvfb-run -a $(CURDIR)/cmake/wine-run win_tests.exe --gtest_brief=1 \
			--gtest_filter='EveryCall.*:Hostile*:FormatLongIntFailures.*:Threads.*') || exit 1; done

# The machine goes into docs/PERFORMANCE.md with the figures. The locale and
# time zone are fixed so that runs compare.
CPU_MODEL = $(shell sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)
# The 64-bit DLL is measured by the 64-bit benchmark, whose rows the 32-bit
# one reports beside its own.
bench: dll prefix
	LC_ALL=en_US.UTF-8 TZ=America/New_York cmake/wine-run $(WIN64)/bwbench.exe --results $(WIN64)/bench-results.txt
	LC_ALL=en_US.UTF-8 TZ=America/New_York cmake/wine-run $(WIN)/bwbench.exe --beside $(WIN64)/bench-results.txt \
		--machine "$(CPU_MODEL), $(shell nproc) logical processors" --output docs/PERFORMANCE.md

clean:
	rm -rf $(BUILD)
