# The project's commands. Each sets up what it needs first (packages, locale, Wine
# prefix), then builds with CMake and Ninja; everything built lives under out/.
#   make run     start Velkaro under Wine with an echo peer on COM1
#   make test    every test: native (sanitizers), fuzzers, Win32 under Wine, end-to-end
#   make bench   the benchmarks, one figure a line
#   make dist    the Windows packages (archives and installers, 64- and 32-bit)
OUT := out
NATIVE := $(OUT)/native
MINGW := $(OUT)/mingw
MINGW32 := $(OUT)/mingw32
BENCH := $(OUT)/native-bench
JOBS ?= $(shell nproc)

.PHONY: all setup native mingw mingw32 dist native-bench helpers test run bench fuzz clean

all: native mingw

# Run by hand (`make setup`), it also tries again what an earlier run could not install.
setup:
	@TAVEX_SETUP_AGAIN=$(if $(filter setup,$(MAKECMDGOALS)),1) scripts/setup.sh

$(NATIVE)/build.ninja:
	cmake -G Ninja -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DTAVEX_FUZZ=ON

$(MINGW)/build.ninja:
	cmake -G Ninja -S . -B $(MINGW) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake

native: setup $(NATIVE)/build.ninja
	ninja -C $(NATIVE) -j $(JOBS)

mingw: setup $(MINGW)/build.ninja
	ninja -C $(MINGW) -j $(JOBS)

# The 32-bit build: only the program and its help; the tests run on the 64-bit one.
$(MINGW32)/build.ninja:
	cmake -G Ninja -S . -B $(MINGW32) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake

mingw32: setup $(MINGW32)/build.ninja
	ninja -C $(MINGW32) -j $(JOBS) tavex tavex_help

# The release packages in out/dist, from the program and help of both builds.
dist: mingw32 $(MINGW)/build.ninja
	ninja -C $(MINGW) -j $(JOBS) tavex tavex_help
	scripts/dist.sh

# The native benchmarks: optimised, without sanitizers.
$(BENCH)/build.ninja:
	cmake -G Ninja -S . -B $(BENCH) -DCMAKE_BUILD_TYPE=Release \
	    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DTAVEX_SANITIZE=OFF -DTAVEX_BENCH=ON

native-bench: setup $(BENCH)/build.ninja
	ninja -C $(BENCH) -j $(JOBS) native_bench

# The host programs the Wine runs need beside them (pty shim, echo peer).
helpers: setup $(NATIVE)/build.ninja
	ninja -C $(NATIVE) tavex_pty_shim tavex_peer

test: native mingw dist
	scripts/run-tests.sh

run: mingw helpers
	scripts/run.sh

bench: mingw helpers native-bench
	scripts/bench.sh

# Load, faults and bad input against the running program (see the README for how long).
soak: mingw helpers
	scripts/soak.sh

# Runs every fuzzer for FUZZ_SECONDS (default 600) each.
fuzz: native
	scripts/fuzz.sh $(FUZZ_SECONDS)

clean:
	rm -rf $(OUT)
