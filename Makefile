# Quick start on a fresh Debian 12 machine, as root:
#   make        builds the shipped installer folder dist/TQPrinterSetup/
#   make test   runs every test (native against the simulated PC, Windows under Wine)
# Also: make bench (benchmarks and sizes), make fuzz (FUZZ_SECONDS=60 a harness).

.PHONY: all dist test packages native windows test-native test-windows bench fuzz clean

all: dist

packages:
	@scripts/ensure_packages.sh

# The maker's code signing certificate and key (see the README); without
# them the build signs with a test certificate of its own.
SIGN_CERT ?=
SIGN_KEY ?=

windows: packages
	@cmake --preset windows -DSIGN_CERT="$(if $(SIGN_CERT),$(abspath $(SIGN_CERT)))" \
	  -DSIGN_KEY="$(if $(SIGN_KEY),$(abspath $(SIGN_KEY)))" >/dev/null
	@cmake --build --preset windows

native: packages
	@cmake --preset native >/dev/null
	@cmake --build --preset native

dist: windows
	@scripts/make_dist.sh

test-native: native
	@ctest --preset native

test-windows: windows
	@ctest --preset windows

test: dist
	@$(MAKE) --no-print-directory test-native
	@$(MAKE) --no-print-directory test-windows

bench: dist
	@cmake --preset bench >/dev/null
	@cmake --build --preset bench
	@for b in build/bench/bench/*_bench; do [ -x "$$b" ] && "$$b"; done
	@python3 bench/sizes.py

# The libFuzzer harnesses, FUZZ_SECONDS each (default 60); not part of test.
fuzz:
	@scripts/ensure_packages.sh fuzz
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz
	@scripts/fuzz.sh

clean:
	rm -rf build dist
