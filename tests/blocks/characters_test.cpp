// Tests of the characters block.
