# Vistrel: `make run` builds and shows the sample, `make test` runs every test.
BUILD        := build
RELEASE      := $(BUILD)/release
SANITIZE     := $(BUILD)/sanitize
FUZZ_SECONDS ?= 60
GENERATOR    := -G Ninja -DVISTREL_WERROR=ON

.PHONY: all deps build run test test-data test-release test-sanitize fuzz clean

all: build

deps:
	scripts/install-deps

$(RELEASE)/build.ninja:
	cmake -S . -B $(RELEASE) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release

$(SANITIZE)/build.ninja:
	cmake -S . -B $(SANITIZE) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_CXX_COMPILER=clang++ -DVISTREL_SANITIZE=ON -DVISTREL_FUZZ=ON -DVISTREL_BENCH=OFF -DVISTREL_QT=OFF

build: deps $(RELEASE)/build.ninja
	cmake --build $(RELEASE)

run: build
	$(RELEASE)/vistrel $(RELEASE)/samples/sample.ab1

test-data: deps
	scripts/fetch-test-data

test-release: build test-data
	ctest --test-dir $(RELEASE) --output-on-failure

# The core tests and the tools again under AddressSanitizer and UBSan, then the fuzzers.
test-sanitize: deps test-data $(SANITIZE)/build.ninja
	cmake --build $(SANITIZE)
	ctest --test-dir $(SANITIZE) --output-on-failure

fuzz: test-sanitize
	scripts/run-fuzzers $(SANITIZE) $(FUZZ_SECONDS)

test: test-release test-sanitize fuzz

clean:
	rm -rf $(BUILD)
