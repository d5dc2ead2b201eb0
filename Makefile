# The two commands of the README, and a few for developers.
#   make test   installs what is missing, builds with sanitizers and runs every test
#   make run    installs what is missing, builds and starts the program
#   make deb    installs what is missing and builds the Debian package build/deb/chimewell_*.deb
JOBS ?= $(shell nproc)
TEST_DIR := build/test
RUN_DIR := build/run
# The pure core and chimewell-cli alone, without Qt: a Qt include in the core breaks this build.
CORE_DIR := build/core
FUZZ_DIR := build/fuzz
DEB_DIR := build/deb
FUZZ_SECONDS ?= 60

.PHONY: test run build-test build-core build-run bench deb fuzz format clean

test: build-test build-core
	cd $(TEST_DIR) && ctest --output-on-failure -j$(JOBS)

# Without Qt, the libraries of the core and chimewell-cli only: their tests have run already, in the test build,
# where they link the same libraries without Qt, under the sanitizers.
build-core: build-test
	cmake -S . -B $(CORE_DIR) -DCMAKE_BUILD_TYPE=Debug -DCHIMEWELL_GUI=OFF -DCHIMEWELL_TESTS=OFF -DCHIMEWELL_BENCH=OFF \
		-DCHIMEWELL_WERROR=ON
	cmake --build $(CORE_DIR) -j$(JOBS)

# The benchmarks are built and run in the release build (make bench): under the sanitizers they would measure
# nothing and only lengthen the test run. Line tables (-g1) are all the sanitizers' reports need.
build-test:
	tools/install-deps test
	cmake -S . -B $(TEST_DIR) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DCHIMEWELL_SANITIZE=ON \
		-DCHIMEWELL_WERROR=ON -DCHIMEWELL_BENCH=OFF
	cmake --build $(TEST_DIR) -j$(JOBS)

build-run:
	tools/install-deps run
	cmake -S . -B $(RUN_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCHIMEWELL_TESTS=OFF
	cmake --build $(RUN_DIR) -j$(JOBS)

run: build-run
	$(RUN_DIR)/bin/chimewell

bench: build-run
	for b in $(RUN_DIR)/bin/bench_*; do $$b; done

# A release build without tests or benchmarks, installed under /usr by the package.
deb:
	tools/install-deps deb
	cmake -S . -B $(DEB_DIR) -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
		-DCHIMEWELL_TESTS=OFF -DCHIMEWELL_BENCH=OFF
	cmake --build $(DEB_DIR) -j$(JOBS)
	cd $(DEB_DIR) && cpack -G DEB
	@ls $(DEB_DIR)/chimewell_*.deb
	# Debian's own checks: an error fails the build.
	lintian --fail-on error $(DEB_DIR)/chimewell_*.deb

# Each parser under libFuzzer for FUZZ_SECONDS, from the seeds and the minimised corpus in tests/fuzz/NAME;
# what it finds worth keeping grows in build/fuzz/corpus/NAME, and a crash is kept in tests/fuzz/NAME/.
fuzz:
	tools/install-deps fuzz
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCHIMEWELL_GUI=OFF \
		-DCHIMEWELL_TESTS=OFF -DCHIMEWELL_BENCH=OFF -DCHIMEWELL_FUZZ=ON
	cmake --build $(FUZZ_DIR) -j$(JOBS)
	for name in ini text cli_arguments ics; do \
		mkdir -p $(FUZZ_DIR)/corpus/$$name && \
		$(FUZZ_DIR)/bin/fuzz_$$name $(FUZZ_DIR)/corpus/$$name tests/fuzz/$$name/corpus tests/fuzz/$$name/seeds \
			-max_total_time=$(FUZZ_SECONDS) -artifact_prefix=tests/fuzz/$$name/ -print_final_stats=1 || exit 1; \
	done

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
