// Tests of the sets block.
