# Vistrel: `make run` builds and shows the sample, `make test` runs every test.
BUILD        := build
RELEASE      := $(BUILD)/release
SANITIZE     := $(BUILD)/sanitize
FUZZ_SECONDS ?= 60
GENERATOR    := -G Ninja -DVISTREL_WERROR=ON
# The packages are checked once per build folder (and again when the list changes); `make deps`
# checks them at any time.
DEPS_STAMP   := $(BUILD)/.deps-installed

.PHONY: all deps build run test test-data test-release test-sanitize fuzz clean

all: build

deps:
	scripts/install-deps
	mkdir -p $(BUILD) && touch $(DEPS_STAMP)

$(DEPS_STAMP): scripts/install-deps
	$(MAKE) deps

$(RELEASE)/build.ninja: | $(DEPS_STAMP)
	cmake -S . -B $(RELEASE) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release

$(SANITIZE)/build.ninja: | $(DEPS_STAMP)
	cmake -S . -B $(SANITIZE) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_CXX_COMPILER=clang++ -DVISTREL_SANITIZE=ON -DVISTREL_FUZZ=ON -DVISTREL_BENCH=OFF -DVISTREL_QT=OFF

build: $(DEPS_STAMP) $(RELEASE)/build.ninja
	cmake --build $(RELEASE)

run: build
	$(RELEASE)/vistrel $(RELEASE)/samples/sample.ab1

test-data: $(DEPS_STAMP)
	scripts/fetch-test-data

test-release: build test-data
	ctest --test-dir $(RELEASE) --output-on-failure

# The core tests and the tools again under AddressSanitizer and UBSan, then the fuzzers.
test-sanitize: test-data $(SANITIZE)/build.ninja
	cmake --build $(SANITIZE)
	ctest --test-dir $(SANITIZE) --output-on-failure

fuzz: test-sanitize
	scripts/run-fuzzers $(SANITIZE) $(FUZZ_SECONDS)

test: test-release test-sanitize fuzz

clean:
	rm -rf $(BUILD)
