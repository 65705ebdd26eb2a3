# Two commands do all the set-up on a fresh Debian machine:
#   make run    installs what is missing, builds, and starts Filmarch
#   make test   installs what is missing, builds, and runs every test
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run cli test test-fast bench fuzz install deb clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# Builds the window program alone, not the tests.
run: configure
	@cmake --build $(BUILD) -j $(JOBS) --target filmarch
	$(BUILD)/bin/filmarch

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Every test but those labelled slow (the random kills, the scan suite run again
# with four files in hand, the package): for the edit-build-test loop.
test-fast: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -LE slow

bench: build
	@bash scripts/install-bench-deps.sh
	@for b in $(BUILD)/bin/bench_*; do echo "== $$b"; $$b || exit 1; done

# Installs under /usr/local (PREFIX=... for another place; root is needed for a system folder).
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD) --prefix $(PREFIX) --strip

# Builds filmarch_<version>_<arch>.deb in the build folder;
# install it with: apt-get install ./build/filmarch_*.deb
deb: configure
	@bash scripts/make-deb.sh $(BUILD)

fuzz: deps
	cmake -S . -B build-fuzz -DFILMARCH_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build build-fuzz -j $(JOBS) --target fuzz_amc_load

clean:
	rm -rf $(BUILD) build-fuzz
