# Drives CMake and Ninja. `make demo` runs the checker on the bundled examples; `make test`
# builds and runs every test.
BUILD ?= build
SANITIZE_BUILD ?= build-sanitize
CMAKE ?= cmake

.PHONY: all build demo test sanitize clean

all: build

build:
	$(CMAKE) -S . -B $(BUILD) -G Ninja
	$(CMAKE) --build $(BUILD)

demo: build
	@for output in passing_output.txt failing_output.txt; do \
	  echo "\$$ $(BUILD)/checker examples/input.txt examples/$$output"; \
	  $(BUILD)/checker examples/input.txt examples/$$output; \
	  echo; \
	done

test:
	$(CMAKE) -S . -B $(BUILD) -G Ninja -DCHECKER_TESTS=ON -DCHECKER_WERROR=ON
	$(CMAKE) --build $(BUILD)
	ctest --test-dir $(BUILD) --output-on-failure --timeout 300

# The whole test suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize:
	$(CMAKE) -S . -B $(SANITIZE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCHECKER_TESTS=ON \
	  -DCHECKER_WERROR=ON -DCHECKER_SANITIZE=ON
	$(CMAKE) --build $(SANITIZE_BUILD)
	ctest --test-dir $(SANITIZE_BUILD) --output-on-failure --timeout 600

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD)
